#pragma once
// Code-point level text work: the registry's binary-value helpers count characters the
// way its UTF-16 strings do, and the native code page maps code points to bytes.
#include <string>

namespace tarvo {

std::u32string DecodeUtf8(const std::string& text);
std::string EncodeUtf8(const std::u32string& text);
// UTF-16 code units to code points; a lone surrogate becomes U+FFFD.
std::u32string JoinUtf16(const std::u16string& units);
std::u16string SplitUtf16(const std::u32string& text);

}  // namespace tarvo
