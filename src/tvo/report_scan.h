#pragma once
// `tvo report`, first half: finding the archives under the given folders and reading what
// each one says about itself (its information record and central directory) without
// reading the archive through, unless a full check is asked for.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/system_info.h"

namespace tarvo {

struct ScannedArchive {
  std::string path;
  std::uint64_t size = 0;
  std::string problem;  // why it is damaged; empty when it is not
  bool isProtected = false;
  bool recordRead = false;  // false for a protected archive read without its password
  std::string computer, user, profile, outlook;
  std::optional<LocalTime> time;  // when the backup was made
  std::string flags;              // "BackupItem"
};

struct ScanOptions {
  bool verify = false;                  // read every entry through (CRC, password)
  std::optional<std::string> password;  // for protected archives
  std::string workFolder;               // where each record is read
  // Called after each file looked at, with the count so far and the files found in all.
  std::function<void(std::size_t done, std::size_t total)> progress;
};

// Every file under the folders (or the files given themselves) that is an archive by its
// content or a ".tvo" by its name, read. Folders and files that cannot be read are listed
// as damaged, so that nothing is left out unseen.
std::vector<ScannedArchive> ScanArchives(FileSystem& files, SystemInfo& system, const std::vector<std::string>& roots,
                                         const ScanOptions& options);

// When a record's "BackupTime" (the general date of the machine that made it, whatever its
// locale) says the backup was made. A dated archive name ("...-MM-DD-YYYY-HH-MM.tvo")
// settles day-month order where the text leaves it open.
std::optional<LocalTime> ParseBackupTime(const std::string& text, const std::optional<LocalTime>& hint);
// The date and time a dated archive name ends in.
std::optional<LocalTime> DatedNameTime(const std::string& path);

}  // namespace tarvo
