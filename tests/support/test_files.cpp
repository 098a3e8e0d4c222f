#include "support/test_files.h"

#include <cctype>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace tarvo {

namespace {

std::string MakeUniqueFolder() {
  std::random_device rd;
  std::mt19937_64 gen(rd());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = base / ("tarvo-test-" + std::to_string(gen() % 100000000000ULL));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) return PathToUtf8(candidate);
  }
  throw std::runtime_error("TempDrive: cannot create a temporary folder");
}

}  // namespace

TempDrive::TempDrive(const std::string& letters) : root_(MakeUniqueFolder()) {
  AddDrive('C');
  for (char letter : letters) AddDrive(letter);
}

TempDrive::~TempDrive() {
  std::error_code ec;
  // Read-only files left by a test must not keep the folder alive.
  for (fs::recursive_directory_iterator it(PathFromUtf8(root_), ec), end; !ec && it != end; it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  }
  fs::remove_all(PathFromUtf8(root_), ec);
}

void TempDrive::AddDrive(char letter) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const fs::path folder = PathFromUtf8(root_) / std::string(1, upper);
  fs::create_directories(folder);
  files_.MapDrive(upper, PathToUtf8(folder));
}

std::string TempDrive::Host(const std::string& winPath) { return files_.NativePath(winPath); }

void TempDrive::Put(const std::string& winPath, const std::string& bytes) {
  MakeFolder(ParentFolder(winPath));
  if (!files_.WriteAll(winPath, bytes)) throw std::runtime_error("TempDrive: cannot write " + winPath);
}

std::string TempDrive::Get(const std::string& winPath) {
  auto bytes = files_.ReadAll(winPath);
  if (!bytes) throw std::runtime_error("TempDrive: no file " + winPath);
  return *bytes;
}

void TempDrive::MakeFolder(const std::string& winPath) {
  std::error_code ec;
  fs::create_directories(PathFromUtf8(Host(winPath)), ec);
  if (!files_.FolderExists(winPath)) throw std::runtime_error("TempDrive: cannot create " + winPath);
}

}  // namespace tarvo
