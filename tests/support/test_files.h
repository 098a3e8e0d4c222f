#pragma once
// A throwaway host folder whose subfolders stand for Windows drives, so tests use real
// "C:\..." paths against real files. Everything is removed when the TempDrive goes.
#include <string>

#include "platform/host_file_system.h"

namespace tarvo {

class TempDrive {
 public:
  // Maps each letter of `letters` (C: at least) onto a subfolder of a fresh temp folder.
  explicit TempDrive(const std::string& letters = "C");
  ~TempDrive();
  TempDrive(const TempDrive&) = delete;
  TempDrive& operator=(const TempDrive&) = delete;

  FileSystem& fs() { return files_; }
  HostFileSystem& host() { return files_; }
  // Adds a drive after construction.
  void AddDrive(char letter);

  // The host path (UTF-8) of a Windows path.
  std::string Host(const std::string& winPath);
  // Writes a file, creating its parent folders.
  void Put(const std::string& winPath, const std::string& bytes);
  // Reads a file; throws std::runtime_error when it is missing.
  std::string Get(const std::string& winPath);
  // Creates a folder with every missing level.
  void MakeFolder(const std::string& winPath);

  const std::string& root() const { return root_; }

 private:
  std::string root_;
  HostFileSystem files_;
};

}  // namespace tarvo
