#include "backup/work_files.h"

#include <cctype>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>

#include "platform/run_lock.h"

namespace tarvo {
namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool IsAlnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

bool StartsNoCase(const std::string& text, std::size_t at, const std::string& head) {
  if (text.size() - at < head.size()) return false;
  for (std::size_t i = 0; i < head.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[at + i])) != std::toupper(static_cast<unsigned char>(head[i])))
      return false;
  return true;
}

// Reads one ".~" + 1..8 hex + ".TMP" part at `at`; the position after it, or npos.
std::size_t WorkPart(const std::string& name, std::size_t at) {
  if (!StartsNoCase(name, at, ".~")) return std::string::npos;
  std::size_t end = at + 2;
  while (end < name.size() && IsHex(name[end]) && end - at - 2 < 8) ++end;
  if (end == at + 2 || !StartsNoCase(name, end, ".TMP")) return std::string::npos;
  return end + 4;
}

// The zip library's own work file: "." and six (POSIX) or eight (Windows) letters or digits.
bool IsZipWorkSuffix(const std::string& name, std::size_t at) {
  const std::size_t length = name.size() - at;
  if (length != 7 && length != 9) return false;
  if (name[at] != '.') return false;
  for (std::size_t i = at + 1; i < name.size(); ++i)
    if (!IsAlnum(name[i])) return false;
  return true;
}

std::string HexText(unsigned n) {
  static const char* digits = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), digits[n % 16]);
    n /= 16;
  } while (n != 0);
  return text;
}

std::string ClaimName(FileSystem& files, const std::string& path) {
  const std::string native = files.NativePath(path);
  return "work file " + (native.empty() ? path : native);
}

// Held while a run makes a work file in folder or cleans it up.
std::unique_ptr<RunLock> LockWorkFolder(FileSystem& files, const std::string& folder) {
  const std::string native = files.NativePath(folder);
  return AcquireRunLock("work files in " + (native.empty() ? folder : native), 10 * 1000);
}

// The claims of this process: its own named locks would be granted to it again.
struct Claims {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<RunLock>> held;
};

Claims& OwnClaims() {
  static Claims claims;
  return claims;
}

}  // namespace

std::string NewArchiveWorkFile(FileSystem& files, const std::string& target) {
  const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
  const unsigned start = 1 + static_cast<unsigned>(tick) % 0xFFFF;
  for (unsigned n = start, tries = 0; tries < 0xFFFF; ++tries, n = n == 0xFFFF ? 1 : n + 1) {
    const std::string work = target + ".~" + HexText(n) + ".TMP";
    if (files.FileExists(work)) continue;
    return files.WriteAll(work, "") ? work : std::string();
  }
  return {};
}

bool IsArchiveLeftover(const std::string& archiveName, const std::string& fileName) {
  if (archiveName.empty() || !StartsNoCase(fileName, 0, archiveName)) return false;
  std::size_t at = WorkPart(fileName, archiveName.size());
  if (at == std::string::npos) return false;
  for (std::size_t next = WorkPart(fileName, at); next != std::string::npos; next = WorkPart(fileName, at)) at = next;
  return at == fileName.size() || IsZipWorkSuffix(fileName, at);
}

bool IsRunWorkFileName(const std::string& fileName) {
  if (!StartsNoCase(fileName, 0, "OBI") && !StartsNoCase(fileName, 0, "OBC") && !StartsNoCase(fileName, 0, "OBA"))
    return false;
  std::size_t end = 3;
  while (end < fileName.size() && IsHex(fileName[end])) ++end;
  return end > 3 && end <= 7 && end + 4 == fileName.size() && StartsNoCase(fileName, end, ".TMP");
}

std::string NewRunWorkFile(FileSystem& files, const std::string& folder, const std::string& prefix) {
  // Made and claimed under the folder's lock: a clean-up never sees it unclaimed.
  const auto making = LockWorkFolder(files, folder);
  const std::string path = files.CreateTempFile(folder, prefix);
  const std::string name = ClaimName(files, path);
  Claims& claims = OwnClaims();
  std::lock_guard<std::mutex> guard(claims.mutex);
  if (claims.held.count(name) == 0) {
    auto lock = AcquireRunLock(name, 0);
    if (lock) claims.held.emplace(name, std::move(lock));
  }
  return path;
}

void RemoveArchiveLeftovers(FileSystem& files, const std::string& archive) {
  const std::string folder = ParentFolder(archive);
  const auto names = folder.empty() ? std::nullopt : files.ListFiles(folder);
  if (!names) return;
  for (const std::string& name : *names)
    if (IsArchiveLeftover(BareName(archive), name)) files.DeleteFile(JoinPath(folder, name));
}

void RemoveStaleRunWorkFiles(FileSystem& files, const std::string& dataFolder) {
  const auto making = LockWorkFolder(files, dataFolder);
  const auto names = making ? files.ListFiles(dataFolder) : std::nullopt;
  if (!names) return;
  Claims& claims = OwnClaims();
  for (const std::string& name : *names) {
    if (!IsRunWorkFileName(name)) continue;
    const std::string path = JoinPath(dataFolder, name);
    const std::string claim = ClaimName(files, path);
    std::lock_guard<std::mutex> guard(claims.mutex);
    if (claims.held.count(claim) != 0) continue;
    // Taken at once only when the run that made the file is gone.
    if (AcquireRunLock(claim, 0)) files.DeleteFile(path);
  }
}

}  // namespace tarvo
