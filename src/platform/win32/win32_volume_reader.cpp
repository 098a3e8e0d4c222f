// Reads a disc's sectors raw through its volume ("\\.\E:"). A volume handle takes only
// whole, sector-aligned reads, so reads go through a buffer of whole sectors.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/win32_recorder_com.h"

namespace tarvo {

namespace {

constexpr std::uint64_t kDiscSector = 2048;
constexpr std::size_t kChunk = 32 * kDiscSector;

class VolumeReader : public FileReader {
 public:
  explicit VolumeReader(HANDLE volume) : volume_(volume), buffer_(kChunk) {}
  ~VolumeReader() override { CloseHandle(volume_); }

  std::optional<std::size_t> Read(char* buf, std::size_t size) override {
    std::size_t got = 0;
    while (got < size) {
      if (position_ < start_ || position_ >= start_ + filled_) {
        if (!Fill()) return std::nullopt;
        if (filled_ == 0 || position_ >= start_ + filled_) break;  // the end of the disc
      }
      const std::size_t at = static_cast<std::size_t>(position_ - start_);
      const std::size_t n = std::min(size - got, filled_ - at);
      std::memcpy(buf + got, buffer_.data() + at, n);
      got += n;
      position_ += n;
    }
    return got;
  }
  bool Seek(std::uint64_t offset) override {
    position_ = offset;
    return true;
  }

 private:
  bool Fill() {
    start_ = position_ - position_ % kDiscSector;
    filled_ = 0;
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(start_);
    DWORD read = 0;
    if (!SetFilePointerEx(volume_, to, nullptr, FILE_BEGIN)) return false;
    if (!ReadFile(volume_, buffer_.data(), static_cast<DWORD>(kChunk), &read, nullptr))
      return GetLastError() == ERROR_HANDLE_EOF || GetLastError() == ERROR_SECTOR_NOT_FOUND;
    filled_ = read;
    return true;
  }

  HANDLE volume_;
  std::vector<char> buffer_;
  std::uint64_t position_ = 0;
  std::uint64_t start_ = 0;
  std::size_t filled_ = 0;
};

}  // namespace

std::unique_ptr<FileReader> OpenVolume(const std::wstring& volumePath) {
  if (volumePath.size() < 2 || volumePath[1] != L':') return nullptr;
  const std::wstring device = L"\\\\.\\" + volumePath.substr(0, 2);
  HANDLE volume = CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (volume == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<VolumeReader>(volume);
}

}  // namespace tarvo
