#include "platform/host_file_system.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tarvo {

fs::path PathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::string PathToUtf8(const fs::path& path) {
  const std::u8string u = path.u8string();
  return std::string(u.begin(), u.end());
}

// Upper-cases ASCII and the Latin-1 letters of UTF-8 text, as far as names need it.
std::string UpperName(const std::string& name) {
  std::string out = name;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'a' && c <= 'z') {
      out[i] = static_cast<char>(c - 'a' + 'A');
    } else if (c == 0xC3 && i + 1 < out.size()) {
      const auto n = static_cast<unsigned char>(out[i + 1]);
      if (n >= 0xA0 && n <= 0xBE && n != 0xB7) out[i + 1] = static_cast<char>(n - 0x20);
      ++i;
    }
  }
  return out;
}

namespace {

// Splits a Windows path below its drive into components, dropping "." and applying "..".
std::vector<std::string> Components(const std::string& rest) {
  std::vector<std::string> parts;
  std::string cur;
  auto flush = [&] {
    if (cur == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!cur.empty() && cur != ".") {
      parts.push_back(cur);
    }
    cur.clear();
  };
  for (char c : rest) {
    if (c == '\\' || c == '/') {
      flush();
    } else {
      cur += c;
    }
  }
  flush();
  return parts;
}

// The entry of dir whose name matches without regard to case; the exact name first.
std::optional<fs::path> FindEntry(const fs::path& dir, const std::string& name) {
  std::error_code ec;
#ifndef _WIN32
  // Windows would find the exact path in any case; only the listing gives the stored one.
  const fs::path exact = dir / PathFromUtf8(name);
  if (fs::exists(fs::symlink_status(exact, ec))) return exact;
#endif
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    if (SameNameNoCase(PathToUtf8(it->path().filename()), name)) return it->path();
  }
  return std::nullopt;
}

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

bool Exists(const fs::path& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

std::string HexUpper(unsigned n) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%X", n);
  return buf;
}

// First n characters of UTF-8 text, never splitting a character.
std::string FirstChars(const std::string& text, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < text.size() && count < n; ++count) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
  }
  return text.substr(0, i);
}

enum class CreateResult { Created, Exists, Failed };

CreateResult CreateNewFile(const fs::path& p) {
#ifdef _WIN32
  const int fd = _wopen(p.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (fd < 0) return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
  _close(fd);
#else
  const int fd = ::open(p.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EEXIST ? CreateResult::Exists : CreateResult::Failed;
  ::close(fd);
#endif
  return CreateResult::Created;
}

}  // namespace

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && UpperName(a) == UpperName(b);
}

bool NameLessNoCase(const std::string& a, const std::string& b) {
  return UpperName(a) < UpperName(b);
}

HostFileSystem::HostFileSystem(std::map<char, std::string> drives) {
  for (auto& [letter, folder] : drives) MapDrive(letter, folder);
}

void HostFileSystem::MapDrive(char letter, const std::string& hostFolder) {
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = hostFolder;
}

std::optional<fs::path> HostFileSystem::Resolve(const std::string& path) const {
  if (drives_.empty()) return PathFromUtf8(path);
  const bool hasDrive = path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
  if (!hasDrive) return std::nullopt;
  const auto drive = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))));
  if (drive == drives_.end()) return std::nullopt;

  fs::path result = PathFromUtf8(drive->second);
  bool onDisk = true;  // once a component is missing, the rest are taken as written
  for (const std::string& part : Components(path.substr(2))) {
    if (onDisk) {
      if (auto found = FindEntry(result, part)) {
        result = *found;
        continue;
      }
      onDisk = false;
    }
    result /= PathFromUtf8(part);
  }
  return result;
}

bool HostFileSystem::FileExists(const std::string& path) {
  const auto p = Resolve(path);
  return p && IsFile(*p);
}

bool HostFileSystem::FolderExists(const std::string& path) {
  const auto p = Resolve(path);
  std::error_code ec;
  return p && fs::is_directory(*p, ec);
}

std::optional<std::vector<std::string>> HostFileSystem::ListEntries(const std::string& folder,
                                                                    bool (*keep)(const fs::path&)) const {
  const auto p = Resolve(folder);
  std::error_code ec;
  if (!p || !fs::is_directory(*p, ec)) return std::nullopt;
  std::vector<std::string> names;
  fs::directory_iterator it(*p, ec);
  if (ec) return std::nullopt;
  for (fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return std::nullopt;
    if (keep(it->path())) names.push_back(PathToUtf8(it->path().filename()));
  }
  return names;
}

std::optional<std::vector<std::string>> HostFileSystem::ListFiles(const std::string& folder) {
  auto names = ListEntries(folder, [](const fs::path& p) { return IsFile(p); });
#ifndef _WIN32
  // NTFS hands out names in upper-cased order; do the same so runs behave alike.
  if (names) std::sort(names->begin(), names->end(), NameLessNoCase);
#endif
  return names;
}

std::optional<std::string> HostFileSystem::StoredName(const std::string& path) {
  const auto p = Resolve(path);
  if (!p || !Exists(*p)) return std::nullopt;
#ifdef _WIN32
  if (drives_.empty()) return StoredNameFromDirectoryEntry(path);
#endif
  return PathToUtf8(p->filename());
}

std::optional<std::uint64_t> HostFileSystem::FileSize(const std::string& path) {
  const auto p = Resolve(path);
  if (!p || !IsFile(*p)) return std::nullopt;
  std::error_code ec;
  const auto size = fs::file_size(*p, ec);
  if (ec) return std::nullopt;
  return static_cast<std::uint64_t>(size);
}

bool HostFileSystem::CreateFolder(const std::string& path) {
  const auto p = Resolve(path);
  if (!p) return false;
  std::error_code ec;
  fs::create_directory(*p, ec);
  return fs::is_directory(*p, ec);
}

bool HostFileSystem::RemoveEmptyFolder(const std::string& path) {
  const auto p = Resolve(path);
  std::error_code ec;
  if (!p || !fs::is_directory(*p, ec) || !fs::is_empty(*p, ec)) return false;
  return fs::remove(*p, ec) && !ec;
}

bool HostFileSystem::DeleteFile(const std::string& path) {
  const auto p = Resolve(path);
  if (!p || !IsFile(*p)) return false;
  std::error_code ec;
  return fs::remove(*p, ec) && !ec;
}

bool HostFileSystem::RenameFile(const std::string& from, const std::string& to) {
  const auto src = Resolve(from);
  auto dst = Resolve(to);
  if (!src || !dst || !Exists(*src)) return false;
  std::error_code ec;
  if (Exists(*dst)) {
    // Only a change of letter case may name the same entry. The C++ library takes a
    // rename onto the same file for a no-op, so go through a passing name.
    if (!fs::equivalent(*src, *dst, ec)) return false;
    const fs::path wanted = dst->parent_path() / PathFromUtf8(BareName(to));
    const fs::path passing = dst->parent_path() / PathFromUtf8(BareName(to) + ".~ren");
    if (Exists(passing)) return false;
    fs::rename(*src, passing, ec);
    if (ec) return false;
    fs::rename(passing, wanted, ec);
    if (!ec) return true;
    fs::rename(passing, *src, ec);  // put it back under its old name
    return false;
  }
  fs::rename(*src, *dst, ec);
  return !ec;
}

bool HostFileSystem::ReplaceFile(const std::string& source, const std::string& target) {
  const auto src = Resolve(source);
  const auto dst = Resolve(target);
  if (!src || !dst || !IsFile(*src)) return false;
  std::error_code ec;
  if (fs::is_directory(*dst, ec)) return false;
  fs::rename(*src, *dst, ec);  // atomic replacement on POSIX and on Windows (MoveFileEx)
  return !ec;
}

bool HostFileSystem::SetNormalAttributes(const std::string& path) {
  const auto p = Resolve(path);
  if (!p || !Exists(*p)) return false;
  std::error_code ec;
  fs::permissions(*p, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
  return !ec;
}

std::optional<std::string> HostFileSystem::ReadAll(const std::string& path) {
  const auto p = Resolve(path);
  if (!p || !IsFile(*p)) return std::nullopt;
  std::ifstream in(*p, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool HostFileSystem::WriteAll(const std::string& path, const std::string& bytes) {
  const auto p = Resolve(path);
  std::error_code ec;
  if (!p || fs::is_directory(*p, ec)) return false;
  std::ofstream out(*p, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool HostFileSystem::Append(const std::string& path, const std::string& bytes) {
  const auto p = Resolve(path);
  std::error_code ec;
  if (!p || fs::is_directory(*p, ec)) return false;
  std::ofstream out(*p, std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::string HostFileSystem::CreateTempFile(const std::string& folder, const std::string& prefix) {
  const std::string head = FirstChars(prefix, 3);
  // Like GetTempFileName, start from a changing number and count up past taken names.
  std::mt19937 gen(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   std::random_device{}());
  const unsigned start = 1 + gen() % 0xFFFF;
  const auto dir = Resolve(folder);
  unsigned n = start;
  for (unsigned tries = 0; dir && tries < 0xFFFF; ++tries) {
    const std::string name = head + HexUpper(n) + ".TMP";
    const CreateResult r = CreateNewFile(*dir / PathFromUtf8(name));
    if (r == CreateResult::Created) return JoinPath(folder, name);
    if (r == CreateResult::Failed) break;
    n = n == 0xFFFF ? 1 : n + 1;
  }
  return JoinPath(folder, head + HexUpper(start) + ".TMP");
}

std::string HostFileSystem::NativePath(const std::string& path) {
  // A path outside the mapped drives has no host form; handing it on as it is would
  // open a stray file relative to the working folder.
  const auto p = Resolve(path);
  return p ? PathToUtf8(*p) : std::string();
}

}  // namespace tarvo
