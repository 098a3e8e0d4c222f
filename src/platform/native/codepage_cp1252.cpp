// Windows-1252 stands in for the ANSI code page in the native build.
#include <array>
#include <cstdint>

#include "platform/codepage.h"
#include "platform/unicode_text.h"

namespace tarvo {
namespace {

// 0x80..0x9F; 0 marks the five unassigned bytes, which map to themselves.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t ByteToCode(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0) return kHigh[b - 0x80];
  return b;
}

int CodeToByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<int>(c);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == c) return 0x80 + i;
  if (c >= 0x80 && c <= 0x9F && kHigh[c - 0x80] == 0) return static_cast<int>(c);
  return '?';  // as WideCharToMultiByte's default character
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) {
  std::u32string codes;
  codes.reserve(ansi.size());
  for (unsigned char b : ansi) codes += ByteToCode(b);
  return EncodeUtf8(codes);
}

std::string Utf8ToAnsi(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char32_t c : DecodeUtf8(utf8)) out += static_cast<char>(CodeToByte(c));
  return out;
}

}  // namespace tarvo
