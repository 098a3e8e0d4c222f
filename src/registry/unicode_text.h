#pragma once
// Code-point level text work for the binary-value helpers, which count characters the
// way the registry's UTF-16 strings do.
#include <string>

namespace tarvo {

std::u32string DecodeUtf8(const std::string& text);
std::string EncodeUtf8(const std::u32string& text);
// UTF-16 code units to code points; a lone surrogate becomes U+FFFD.
std::u32string JoinUtf16(const std::u16string& units);
std::u16string SplitUtf16(const std::u32string& text);

}  // namespace tarvo
