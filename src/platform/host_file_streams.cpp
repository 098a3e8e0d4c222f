// HostFileSystem: streamed reads and writes, folder walks, times and free space.
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/host_file_system.h"

namespace fs = std::filesystem;

namespace tarvo {

namespace {

// Callers move large pieces; a stream buffer would only copy them once more.
std::FILE* OpenHost(const fs::path& p, bool write) {
#ifdef _WIN32
  std::FILE* f = _wfopen(p.c_str(), write ? L"wb" : L"rb");
#else
  std::FILE* f = std::fopen(p.c_str(), write ? "wb" : "rb");
#endif
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

class HostReader : public FileReader {
 public:
  explicit HostReader(std::FILE* f) : f_(f) {}
  ~HostReader() override { std::fclose(f_); }
  std::optional<std::size_t> Read(char* buf, std::size_t size) override {
    const std::size_t n = std::fread(buf, 1, size, f_);
    if (n < size && std::ferror(f_)) return std::nullopt;
    return n;
  }
  bool Seek(std::uint64_t offset) override {
#ifdef _WIN32
    return _fseeki64(f_, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    return fseeko(f_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
  }

 private:
  std::FILE* f_;
};

class HostWriter : public FileWriter {
 public:
  explicit HostWriter(std::FILE* f) : f_(f) {}
  ~HostWriter() override {
    if (f_) std::fclose(f_);
  }
  bool Write(const char* data, std::size_t size) override {
    return f_ && std::fwrite(data, 1, size, f_) == size;
  }
  bool Close() override {
    if (!f_) return false;
    const bool ok = std::fflush(f_) == 0 && !std::ferror(f_);
    const bool closed = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok && closed;
  }

 private:
  std::FILE* f_;
};

}  // namespace

std::optional<std::vector<std::string>> HostFileSystem::ListFolders(const std::string& folder) {
  auto names = ListEntries(folder, [](const fs::path& p) {
    std::error_code ec;
    return fs::is_directory(p, ec);
  });
  if (names) std::sort(names->begin(), names->end(), NameLessNoCase);
  return names;
}

std::optional<std::int64_t> HostFileSystem::ModifiedTime(const std::string& path) {
  const auto p = Resolve(path);
  if (!p) return std::nullopt;
  std::error_code ec;
  const auto t = fs::last_write_time(*p, ec);
  if (ec) return std::nullopt;
  const auto sys = std::chrono::file_clock::to_sys(t);
  return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

std::optional<std::uint64_t> HostFileSystem::FreeSpace(const std::string& folder) {
  const auto p = Resolve(folder);
  if (!p) return std::nullopt;
  std::error_code ec;
  const auto info = fs::space(*p, ec);
  if (ec) return std::nullopt;
  return static_cast<std::uint64_t>(info.available);
}

std::unique_ptr<FileReader> HostFileSystem::OpenRead(const std::string& path) {
  const auto p = Resolve(path);
  std::error_code ec;
  if (!p || !fs::is_regular_file(*p, ec)) return nullptr;
  std::FILE* f = OpenHost(*p, false);
  if (!f) return nullptr;
  return std::make_unique<HostReader>(f);
}

std::unique_ptr<FileWriter> HostFileSystem::OpenWrite(const std::string& path) {
  const auto p = Resolve(path);
  if (!p) return nullptr;
  std::FILE* f = OpenHost(*p, true);
  if (!f) return nullptr;
  return std::make_unique<HostWriter>(f);
}

}  // namespace tarvo
