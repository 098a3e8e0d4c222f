#pragma once
#include <optional>
#include <string>

namespace tarvo {

// The number a stored preference text reads as; nullopt when it is empty or not a number.
std::optional<double> SettingNumber(const std::string& text);

}  // namespace tarvo
