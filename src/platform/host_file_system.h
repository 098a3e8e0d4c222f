#pragma once
// FileSystem on the host's own files. Windows paths are resolved through a drive map
// (letter -> host folder) where one is given, each component matched without regard to
// case so that the name as stored on disk wins, as NTFS does. With an empty map (the
// Windows build) paths are used as they are.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

class HostFileSystem : public FileSystem {
 public:
  explicit HostFileSystem(std::map<char, std::string> drives = {});

  // Maps a drive letter onto a host folder (UTF-8), replacing an earlier mapping.
  void MapDrive(char letter, const std::string& hostFolder);

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  std::optional<std::vector<std::string>> ListFiles(const std::string& folder) override;
  std::optional<std::string> StoredName(const std::string& path) override;
  std::optional<std::uint64_t> FileSize(const std::string& path) override;

  bool CreateFolder(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  bool ReplaceFile(const std::string& source, const std::string& target) override;
  bool SetNormalAttributes(const std::string& path) override;

  std::optional<std::string> ReadAll(const std::string& path) override;
  bool WriteAll(const std::string& path, const std::string& bytes) override;
  bool Append(const std::string& path, const std::string& bytes) override;

  std::string CreateTempFile(const std::string& folder, const std::string& prefix) override;
  std::string NativePath(const std::string& path) override;

  std::optional<std::vector<std::string>> ListFolders(const std::string& folder) override;
  std::optional<std::int64_t> ModifiedTime(const std::string& path) override;
  std::optional<std::uint64_t> FreeSpace(const std::string& folder) override;
  std::unique_ptr<FileReader> OpenRead(const std::string& path) override;
  std::unique_ptr<FileWriter> OpenWrite(const std::string& path) override;
  bool RemoveEmptyFolder(const std::string& path) override;

 private:
  // The host path for a Windows path; nullopt for a drive that is not mapped.
  std::optional<std::filesystem::path> Resolve(const std::string& path) const;
  // Names of the folder's entries that pass keep, in the platform's order.
  std::optional<std::vector<std::string>> ListEntries(const std::string& folder,
                                                      bool (*keep)(const std::filesystem::path&)) const;

  std::map<char, std::string> drives_;
};

// Conversions between UTF-8 text and host paths, right on every platform.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string PathToUtf8(const std::filesystem::path& path);

// Names compare as NTFS compares them: upper-cased (ASCII and Latin-1 letters).
bool SameNameNoCase(const std::string& a, const std::string& b);
// The key under which SameNameNoCase names are equal (for maps of names).
std::string UpperName(const std::string& name);
bool NameLessNoCase(const std::string& a, const std::string& b);

#ifdef _WIN32
// The long name of a file from its directory entry (a short 8.3 path gives the long name).
std::optional<std::string> StoredNameFromDirectoryEntry(const std::string& path);
#endif

}  // namespace tarvo
