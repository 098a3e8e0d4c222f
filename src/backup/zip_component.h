#pragma once
// The zip component: one archive in hand at a time, written or read through libzip.
// Entries are named by bare file name; protected archives use WinZip AES-256.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvo {

class ZipEvents {
 public:
  virtual ~ZipEvents() = default;
  virtual void AddingFile(const std::string& fileName) = 0;
  virtual void UnzippingFile(const std::string& fileName) = 0;
  virtual void WriteProgress(int percent) = 0;
  virtual void WriteComplete() = 0;
};

struct ZipEntry {
  std::string name;
  std::uint64_t size = 0;            // uncompressed
  std::uint64_t compressedSize = 0;
  std::uint32_t crc = 0;
  bool encrypted = false;
  std::int64_t index = -1;
};

// True when an entry name is a plain file name that cannot reach outside the folder it is
// extracted into: no "\", "/", ":" or "..", not empty, no device name, no characters
// Windows refuses in file names.
bool IsSafeEntryName(const std::string& name);

// What AddFile did with a file.
enum class AddResult { Added, Missing, SameNameSameContent, SameNameOtherContent };

class ZipComponent {
 public:
  explicit ZipComponent(FileSystem& files);
  ~ZipComponent();
  ZipComponent(const ZipComponent&) = delete;
  ZipComponent& operator=(const ZipComponent&) = delete;

  void SetEvents(ZipEvents* events) { events_ = events; }

  std::string WorkFolder;
  // zlib level for compressible data; data that looks incompressible is stored in deflate
  // blocks without a search, so this level costs time only where it pays.
  int DeflateLevel = 5;

  // Writing. Entries are read only in WriteArchive, so files must stay readable until then.
  bool NewArchive(const std::string& path);
  AddResult AddFile(const std::string& path, int flag = 1);
  // As AddFile, under entryName instead of the file's bare name (a work file of its own
  // that the archive names as everyone expects).
  AddResult AddFileAs(const std::string& path, const std::string& entryName);
  int EncryptArchive = 0;        // 0 plain; 1 or -1 protected
  std::string WritePassword;
  void SetPassword(const std::string& password) { WritePassword = password; }
  // Writes to a work file beside the target and replaces the target only when complete.
  // WriteComplete is raised exactly once, before returning, also on failure.
  bool WriteArchive();
  void CloseArchive();
  // Why the last WriteArchive (or opening or extraction) failed, for the run log.
  const std::string& LastError() const { return lastError_; }

  // Reading.
  int IsEncrypted(const std::string& path);
  bool OpenArchive(const std::string& path);
  std::string ReadPassword;
  int CheckPassword();
  std::optional<ZipEntry> GetEntry(const std::string& name);  // name read up to any NUL
  std::vector<ZipEntry> Entries();
  // Extracts into folder under the entry's name through a work file; the existing file is
  // replaced only after the entry was read completely and its checks passed. Entry names
  // holding a path are refused.
  bool ExtractTo(const ZipEntry& entry, const std::string& folder);
  // As ExtractTo, into the file at path whatever the entry's name.
  bool ExtractToFile(const ZipEntry& entry, const std::string& path);
  // Reads the entry completely and checks CRC and password, writing nothing.
  bool VerifyEntry(const ZipEntry& entry);
  // Writes the entry's data into the file at path, which the caller made and owns; false
  // when the entry fails its checks, and then the file holds an unchecked part.
  bool ExtractIntoFile(const ZipEntry& entry, const std::string& path);
  // The entry's data, checked; nullopt when it fails or is larger than limit.
  std::optional<std::string> ReadEntryBytes(const ZipEntry& entry, std::uint64_t limit);
  // How many entries bear this name, compared as GetEntry compares.
  std::size_t NameCount(const std::string& name) const;

  struct Impl;  // libzip's side, in zip_component_impl.h

 private:
  FileSystem& files_;
  ZipEvents* events_ = nullptr;
  std::unique_ptr<Impl> impl_;
  std::string lastError_;
};

}  // namespace tarvo
