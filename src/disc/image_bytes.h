#pragma once
// Little helpers for putting numbers and texts into sector buffers.
#include <cstdint>
#include <string>

namespace tarvo {

inline void Put8(std::string& b, std::size_t at, unsigned v) { b[at] = static_cast<char>(v & 0xFF); }
inline void Put16(std::string& b, std::size_t at, unsigned v) {
  Put8(b, at, v);
  Put8(b, at + 1, v >> 8);
}
inline void Put16Be(std::string& b, std::size_t at, unsigned v) {
  Put8(b, at, v >> 8);
  Put8(b, at + 1, v);
}
inline void Put32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) Put8(b, at + i, v >> (8 * i));
}
inline void Put32Be(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) Put8(b, at + i, v >> (8 * (3 - i)));
}
inline void Put64(std::string& b, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) Put8(b, at + i, static_cast<unsigned>(v >> (8 * i)));
}
// ISO 9660 both-byte-order fields.
inline void Put16Both(std::string& b, std::size_t at, unsigned v) {
  Put16(b, at, v);
  Put16Be(b, at + 2, v);
}
inline void Put32Both(std::string& b, std::size_t at, std::uint32_t v) {
  Put32(b, at, v);
  Put32Be(b, at + 4, v);
}
inline void PutText(std::string& b, std::size_t at, const std::string& text) { b.replace(at, text.size(), text); }

inline std::uint32_t Get16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}
inline std::uint32_t Get32(const std::string& b, std::size_t at) {
  return Get16(b, at) | (Get16(b, at + 2) << 16);
}
inline std::uint64_t Get64(const std::string& b, std::size_t at) {
  return Get32(b, at) | (std::uint64_t{Get32(b, at + 4)} << 32);
}

// Broken-down UTC time of seconds since 1970.
struct CivilTime {
  int year, month, day, hour, minute, second;
};
CivilTime ToCivil(std::int64_t seconds);

}  // namespace tarvo
