#include "backup/zip_native_io.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace tarvo {

std::filesystem::path HostPath(const std::string& nativePath) {
  return std::filesystem::path(std::u8string(nativePath.begin(), nativePath.end()));
}

Compare CompareFiles(const std::string& nativeA, const std::string& nativeB) {
  std::error_code ec;
  const auto sizeA = std::filesystem::file_size(HostPath(nativeA), ec);
  if (ec) return Compare::Unreadable;
  const auto sizeB = std::filesystem::file_size(HostPath(nativeB), ec);
  if (ec) return Compare::Unreadable;
  if (sizeA != sizeB) return Compare::Different;

  std::ifstream a(HostPath(nativeA), std::ios::binary);
  std::ifstream b(HostPath(nativeB), std::ios::binary);
  if (!a || !b) return Compare::Unreadable;
  constexpr std::size_t kChunk = 256 * 1024;
  std::vector<char> bufA(kChunk), bufB(kChunk);
  std::uintmax_t left = sizeA;
  while (left > 0) {
    const auto n = static_cast<std::streamsize>(left < kChunk ? left : kChunk);
    if (!a.read(bufA.data(), n) || !b.read(bufB.data(), n)) return Compare::Unreadable;
    if (!std::equal(bufA.begin(), bufA.begin() + n, bufB.begin())) return Compare::Different;
    left -= static_cast<std::uintmax_t>(n);
  }
  return Compare::Same;
}

}  // namespace tarvo
