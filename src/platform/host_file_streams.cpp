// HostFileSystem: streamed reads and writes, folder walks, times and free space.
#include <algorithm>
#include <chrono>
#include <cstdio>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/host_file_system.h"

namespace fs = std::filesystem;

namespace tarvo {

namespace {

#ifndef _WIN32
// "wb" truncates even an empty new file, which makes ext4 flush all of it at close
// (its guard for files rewritten in place); only a file with contents is cut here.
std::FILE* OpenForWriting(const fs::path& p) {
  const int fd = open(p.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || (st.st_size > 0 && ftruncate(fd, 0) != 0)) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "wb");
  if (!f) close(fd);
  return f;
}
#endif

// Callers move large pieces; a stream buffer would only copy them once more.
std::FILE* OpenHost(const fs::path& p, bool write) {
#ifdef _WIN32
  std::FILE* f = _wfopen(p.c_str(), write ? L"wb" : L"rb");
#else
  std::FILE* f = write ? OpenForWriting(p) : std::fopen(p.c_str(), "rb");
#endif
  if (f) std::setvbuf(f, nullptr, _IONBF, 0);
  return f;
}

// Copies in the kernel, file to file, from both streams' positions (unbuffered, so exact)
// and moves them on: one copy of the bytes instead of two through a buffer of ours.
// nullopt when a position could not be moved on, which leaves the streams unusable.
std::optional<std::uint64_t> CopyRange(std::FILE* from, std::FILE* to, std::uint64_t size) {
#ifdef _WIN32
  (void)from, (void)to, (void)size;
  return 0;
#else
  off_t in = ftello(from), out = ftello(to);
  if (in < 0 || out < 0) return 0;
  std::uint64_t done = 0;
  while (done < size) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size - done, 1u << 30));
    const ssize_t n = copy_file_range(fileno(from), &in, fileno(to), &out, want, 0);
    if (n <= 0) break;
    done += static_cast<std::uint64_t>(n);
  }
  if (fseeko(from, in, SEEK_SET) != 0 || fseeko(to, out, SEEK_SET) != 0) return std::nullopt;
  return done;
#endif
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
  std::FILE* file() const { return f_; }
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
    return f_ && !failed_ && std::fwrite(data, 1, size, f_) == size;
  }
  std::uint64_t CopyFrom(FileReader& source, std::uint64_t size) override {
    auto* in = dynamic_cast<HostReader*>(&source);
    if (!f_ || !in || failed_) return 0;
    const auto done = CopyRange(in->file(), f_, size);
    failed_ = !done;
    return done.value_or(0);
  }
  bool Close() override {
    if (!f_) return false;
    const bool ok = std::fflush(f_) == 0 && !std::ferror(f_) && !failed_;
    const bool closed = std::fclose(f_) == 0;
    f_ = nullptr;
    return ok && closed;
  }

 private:
  std::FILE* f_;
  bool failed_ = false;
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
