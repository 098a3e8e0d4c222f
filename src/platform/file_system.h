#pragma once
// File access with Windows path semantics: "C:\dir\file" paths in UTF-8, names compared
// without regard to case, the name as stored on disk available.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

// A file opened for reading in pieces, so large files are never held whole.
class FileReader {
 public:
  virtual ~FileReader() = default;
  // Bytes read into buf (0 at the end); nullopt on a read error.
  virtual std::optional<std::size_t> Read(char* buf, std::size_t size) = 0;
  virtual bool Seek(std::uint64_t offset) = 0;
};

// A file being written in pieces; Close reports whether every byte reached the disk.
class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual bool Write(const char* data, std::size_t size) = 0;
  virtual bool Close() = 0;
  // Copies up to `size` bytes from the reader's position straight into this file where the
  // system can, without passing them through the caller; both positions move on. Returns
  // how many; fewer (0 included) leaves the rest to the caller's own reads and writes.
  virtual std::uint64_t CopyFrom(FileReader& /*source*/, std::uint64_t /*size*/) { return 0; }
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Names of the files directly in the folder (no subfolders), in the platform's order;
  // nullopt when the folder does not exist or cannot be read.
  virtual std::optional<std::vector<std::string>> ListFiles(const std::string& folder) = 0;
  // The file's name (last component) as stored on disk, long form; nullopt when missing.
  virtual std::optional<std::string> StoredName(const std::string& path) = 0;
  virtual std::optional<std::uint64_t> FileSize(const std::string& path) = 0;

  // Creates the last level only; true when it exists afterwards.
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  // Fails when the target exists.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;
  // Moves source over target, replacing it (the final step of a safe write).
  virtual bool ReplaceFile(const std::string& source, const std::string& target) = 0;
  virtual bool SetNormalAttributes(const std::string& path) = 0;

  virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
  // Creates or truncates.
  virtual bool WriteAll(const std::string& path, const std::string& bytes) = 0;
  // Opens for appending, creating the file when missing.
  virtual bool Append(const std::string& path, const std::string& bytes) = 0;

  // GetTempFileName with unique number 0: first three characters of prefix, a hex number,
  // ".TMP", created empty in folder. Returns the full path; on failure the path of a file
  // that was not created.
  virtual std::string CreateTempFile(const std::string& folder, const std::string& prefix) = 0;

  // The path as the host's C library and libzip take it (UTF-8). Identity on Windows;
  // empty for a path that maps to no host file.
  virtual std::string NativePath(const std::string& path) = 0;

  // Streams and folder walks. The defaults answer "not available", so a double that
  // does not need them stays small.
  // Names of the subfolders directly in the folder; nullopt when it cannot be read.
  virtual std::optional<std::vector<std::string>> ListFolders(const std::string& /*folder*/) {
    return std::nullopt;
  }
  // Last write time in seconds since 1970-01-01 UTC.
  virtual std::optional<std::int64_t> ModifiedTime(const std::string& /*path*/) { return std::nullopt; }
  // Free bytes on the volume that holds the folder.
  virtual std::optional<std::uint64_t> FreeSpace(const std::string& /*folder*/) { return std::nullopt; }
  virtual std::unique_ptr<FileReader> OpenRead(const std::string& /*path*/) { return nullptr; }
  // Creates or truncates.
  virtual std::unique_ptr<FileWriter> OpenWrite(const std::string& /*path*/) { return nullptr; }
  // Removes the folder only when it is empty; true when it is gone afterwards.
  virtual bool RemoveEmptyFolder(const std::string& /*path*/) { return false; }
};

// Helpers on Windows path text.
std::string BareName(const std::string& path);     // text after the last "\"
std::string ParentFolder(const std::string& path);  // text before the last "\"
std::string JoinPath(const std::string& folder, const std::string& name);  // one "\" between

}  // namespace tarvo
