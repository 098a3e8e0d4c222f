#include <cstdio>

#include "platform/text.h"

namespace tarvo {
namespace {

// Length of the UTF-8 sequence at i and its code point; 0 when the bytes are not UTF-8.
std::size_t Utf8At(const std::string& s, std::size_t i, char32_t& code) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t length = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > s.size()) return 0;
  code = length == 1 ? b : b & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    const auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) return 0;
    code = (code << 6) | (c & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool Unprintable(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || (c >= 0x200E && c <= 0x200F) ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string Escaped(const char* format, unsigned value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

}  // namespace

std::string PrintableText(const std::string& text, bool keepLineFeeds) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const std::size_t length = Utf8At(text, i, code);
    if (length == 0) {
      out += Escaped("\\x%02X", static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    if (Unprintable(code) && !(keepLineFeeds && code == '\n'))
      out += code < 0x100 ? Escaped("\\x%02X", static_cast<unsigned>(code)) : Escaped("\\u{%04X}", static_cast<unsigned>(code));
    else
      out.append(text, i, length);
    i += length;
  }
  return out;
}

}  // namespace tarvo
