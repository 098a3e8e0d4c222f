#pragma once
// OfficeProbe double: nullopt stands for "the automation object cannot be created".
#include <optional>
#include <string>

#include "platform/office_probe.h"

namespace tarvo {

class FakeOfficeProbe : public OfficeProbe {
 public:
  std::optional<std::string> version = "14.0";
  int calls = 0;

  std::optional<std::string> WordVersion() override {
    ++calls;
    return version;
  }
};

}  // namespace tarvo
