#include "registry/binary_text.h"

#include "platform/codepage.h"
#include "platform/unicode_text.h"

namespace tarvo {
namespace {

std::string HexToken(unsigned value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string token;
  do {
    token.insert(token.begin(), kDigits[value % 16]);
    value /= 16;
  } while (value != 0);
  return token;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string HexTokens(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) text += '=';
    text += HexToken(bytes[i]);
  }
  return text;
}

std::optional<std::vector<std::uint8_t>> ParseHexTokens(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  if (text.empty()) return bytes;
  std::size_t start = 0;
  while (true) {
    const auto end = text.find('=', start);
    const std::string token = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (token.empty() || token.size() > 2) return std::nullopt;
    unsigned value = 0;
    for (char c : token) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    bytes.push_back(static_cast<std::uint8_t>(value));
    if (end == std::string::npos) return bytes;
    start = end + 1;
  }
}

std::string NarrowHex(const std::string& text) {
  std::string out;
  for (unsigned char b : Utf8ToAnsi(text)) out += HexToken(b) + "=";
  return out;
}

std::string WideHex(const std::string& text) {
  std::string out;
  for (char16_t unit : SplitUtf16(DecodeUtf8(text))) out += HexToken(unit & 0xFF) + "=" + HexToken(unit >> 8) + "=";
  return out;
}

std::u32string WideBinaryText(const std::vector<std::uint8_t>& bytes) {
  std::u16string units;
  bool pairOpen = false;
  const auto at = [&](std::size_t i) -> unsigned { return i < bytes.size() ? bytes[i] : 0u; };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const unsigned b = bytes[i];
    if (b == 0) continue;
    const unsigned previous = i > 0 ? at(i - 1) : 0u;
    if (!pairOpen && at(i + 1) != 0) {
      pairOpen = true;  // the low half; the next byte completes the character
    } else if (pairOpen && previous != 0) {
      pairOpen = false;
      units += static_cast<char16_t>(b * 256 + previous);
    } else {
      units += static_cast<char16_t>(b);
    }
  }
  return JoinUtf16(units);
}

std::u32string NarrowBinaryText(const std::vector<std::uint8_t>& bytes) {
  std::string ansi;
  for (std::uint8_t b : bytes)
    if (b != 0) ansi += static_cast<char>(b);
  return DecodeUtf8(AnsiToUtf8(ansi));
}

std::optional<std::string> PathInText(const std::u32string& text) {
  std::u32string path;
  const auto drive = text.rfind(U":\\");
  if (drive != std::u32string::npos && drive >= 2) {
    path = text.substr(drive - 1);
  } else {
    const auto share = text.rfind(U"\\\\");
    if (share == std::u32string::npos || share < 2) return std::nullopt;
    path = text.substr(share);
  }
  if (path.empty()) return std::nullopt;
  return EncodeUtf8(path);
}

std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  std::string out;
  std::size_t start = 0;
  while (true) {
    const auto hit = text.find(from, start);
    if (hit == std::string::npos) break;
    out.append(text, start, hit - start);
    out += to;
    start = hit + from.size();
  }
  out.append(text, start, std::string::npos);
  return out;
}

}  // namespace tarvo
