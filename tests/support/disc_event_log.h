#pragma once
// The disc engine's write, verification and erase events as a test sees them.
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "disc/disc_types.h"

namespace tarvo {

struct DiscEventLog : DiscEvents {
  std::vector<std::pair<int, int>> states, erase;  // (state, percent)
  std::vector<EngineError> errors;
  std::vector<DeviceError> deviceErrors;
  std::map<std::string, int> verified;  // ImagePath -> result
  std::pair<int, int> verifyDone{-1, -1};
  std::function<void(int state)> onState;

  void WriteState(int percent, int state) override {
    states.emplace_back(state, percent);
    if (onState) onState(state);
  }
  void WriteError(const EngineError& e) override { errors.push_back(e); }
  void VerifyFile(const ImageItem& item, int result, int, int) override { verified[item.ImagePath] = result; }
  void VerifyDone(int v, int m) override { verifyDone = {v, m}; }
  void EraseState(int state, int percent) override { erase.emplace_back(state, percent); }
  void DeviceErrorRaised(const DeviceError& e) override { deviceErrors.push_back(e); }
};

// The state codes in order, repeats of one code counted once.
inline std::vector<int> Codes(const std::vector<std::pair<int, int>>& events) {
  std::vector<int> codes;
  for (auto [code, percent] : events)
    if (codes.empty() || codes.back() != code) codes.push_back(code);
  return codes;
}

}  // namespace tarvo
