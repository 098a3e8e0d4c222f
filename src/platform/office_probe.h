#pragma once
#include <optional>
#include <string>

namespace tarvo {

class OfficeProbe {
 public:
  virtual ~OfficeProbe() = default;
  // Creates the automation object "Word.Application.8", reads "Version", calls "Quit".
  // nullopt when the object cannot be created (the "object required" case).
  virtual std::optional<std::string> WordVersion() = 0;
};

}  // namespace tarvo
