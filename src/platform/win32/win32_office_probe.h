#pragma once
#include "platform/office_probe.h"

namespace tarvo {

// Asks the word processor's automation object through COM (IDispatch, late bound, as an
// automation client would). An object that is created but whose "Version" cannot be
// read answers an empty text, which names no known generation.
class Win32OfficeProbe : public OfficeProbe {
 public:
  std::optional<std::string> WordVersion() override;
};

}  // namespace tarvo
