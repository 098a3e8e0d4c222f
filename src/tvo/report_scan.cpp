#include "tvo/report_scan.h"

#include <exception>

#include "backup/archive_record.h"
#include "backup/zip_component.h"
#include "core/record.h"
#include "platform/text.h"

namespace tarvo {
namespace {

// A share is not walked deeper than this (a link loop ends here) nor past this many files.
constexpr int kMaxDepth = 32;
constexpr std::size_t kMaxFiles = 1000000;
// A record is a few hundred bytes; one far larger is no record of ours.
constexpr std::uint64_t kMaxRecordSize = 1024 * 1024;

bool HasTvoExtension(const std::string& path) {
  return path.size() >= 4 && UpperAscii(path.substr(path.size() - 4)) == ".TVO";
}

ScannedArchive Damaged(const std::string& path, const std::string& problem) {
  ScannedArchive a;
  a.path = path;
  a.problem = problem;
  return a;
}

// Local file header or the end record of an empty archive.
std::optional<bool> StartsLikeZip(FileSystem& files, const std::string& path) {
  const auto reader = files.OpenRead(path);
  if (!reader) return std::nullopt;
  char head[4] = {};
  std::size_t got = 0;
  while (got < sizeof head) {
    const auto n = reader->Read(head + got, sizeof head - got);
    if (!n) return std::nullopt;
    if (*n == 0) break;
    got += *n;
  }
  return got == 4 && head[0] == 'P' && head[1] == 'K' &&
         ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
}

struct Walk {
  FileSystem& files;
  std::vector<std::string> candidates;
  std::vector<ScannedArchive> unreadable;

  void File(const std::string& path) {
    if (candidates.size() >= kMaxFiles) return;
    const auto zip = StartsLikeZip(files, path);
    if (!zip) {
      unreadable.push_back(Damaged(path, "the file cannot be read"));
    } else if (*zip || HasTvoExtension(path)) {
      candidates.push_back(path);
    }
  }

  void Folder(const std::string& folder, int depth) {
    if (depth > kMaxDepth) {
      unreadable.push_back(Damaged(folder, "folders nested deeper than " + std::to_string(kMaxDepth) + " levels"));
      return;
    }
    const auto names = files.ListFiles(folder);
    const auto subfolders = files.ListFolders(folder);
    if (!names || !subfolders) {
      unreadable.push_back(Damaged(folder, "the folder cannot be listed"));
      return;
    }
    for (const std::string& name : *names) File(JoinPath(folder, name));
    for (const std::string& name : *subfolders) Folder(JoinPath(folder, name), depth + 1);
  }
};

class ArchiveReader {
 public:
  ArchiveReader(FileSystem& files, SystemInfo& system, const ScanOptions& options)
      : files_(files), system_(system), options_(options), zip_(files) {
    zip_.WorkFolder = options.workFolder;
  }

  // nullopt: a zip file that is none of ours.
  std::optional<ScannedArchive> Read(const std::string& path) {
    ScannedArchive a;
    a.path = path;
    a.size = files_.FileSize(path).value_or(0);
    if (zip_.OpenArchive(path)) {
      const auto record = zip_.GetEntry(archive::kRecordEntry);
      for (const ZipEntry& e : zip_.Entries()) a.isProtected = a.isProtected || e.encrypted;
      if (!record && !HasTvoExtension(path)) {
        zip_.CloseArchive();
        return std::nullopt;
      }
      if (record) ReadRecord(*record, a);
      if (!record) a.problem = "the archive holds no information record (mailvault.dat)";
      if (a.problem.empty() && options_.verify) Verify(a);
      zip_.CloseArchive();
    } else {
      a.problem = "the archive does not open: " + zip_.LastError();
    }
    Date(a);
    return a;
  }

 private:
  void ReadRecord(const ZipEntry& record, ScannedArchive& a) {
    if (record.encrypted) {
      zip_.ReadPassword = options_.password.value_or("");
      if (!options_.password || zip_.CheckPassword() != 1) return;  // not ours to read
    } else {
      zip_.ReadPassword.clear();
    }
    if (record.size > kMaxRecordSize) {
      a.problem = "the information record is too large (" + std::to_string(record.size) + " bytes)";
      return;
    }
    const std::string work = JoinPath(options_.workFolder, "report-record.dat");
    if (!zip_.ExtractToFile(record, work)) {
      a.problem = "the information record cannot be read: " + zip_.LastError();
      return;
    }
    try {
      a.computer = GetINI(files_, archive::kHeaderKeys[0], work);
      a.user = GetINI(files_, archive::kHeaderKeys[1], work);
      a.profile = GetINI(files_, archive::kHeaderKeys[2], work);
      timeText_ = GetINI(files_, archive::kHeaderKeys[3], work);
      a.outlook = GetINI(files_, archive::kHeaderKeys[4], work);
      a.flags = GetINI(files_, archive::kItemFlagsKey, work);
      a.recordRead = true;
    } catch (const std::exception& e) {
      a.problem = std::string("the information record cannot be read: ") + e.what();
    }
    files_.DeleteFile(work);
    if (a.recordRead && !archive::IsValidItemFlags(a.flags))
      a.problem = "the information record is not valid: BackupItem is not eleven characters";
  }

  void Verify(ScannedArchive& a) {
    for (const ZipEntry& e : zip_.Entries()) {
      if (e.encrypted && !a.recordRead) continue;  // no password to check it with
      if (!zip_.VerifyEntry(e)) {
        a.problem = "the entry " + e.name + " is damaged: " + zip_.LastError();
        return;
      }
    }
  }

  // The record's time; where it cannot be read, the dated name, then the file's own time.
  void Date(ScannedArchive& a) {
    const auto named = DatedNameTime(a.path);
    a.time = a.recordRead ? ParseBackupTime(timeText_, named) : std::nullopt;
    if (!a.time) a.time = named;
    if (!a.time) {
      if (const auto modified = files_.ModifiedTime(a.path)) a.time = system_.LocalTimeOf(*modified);
    }
    timeText_.clear();
  }

  FileSystem& files_;
  SystemInfo& system_;
  const ScanOptions& options_;
  ZipComponent zip_;
  std::string timeText_;
};

}  // namespace

std::vector<ScannedArchive> ScanArchives(FileSystem& files, SystemInfo& system, const std::vector<std::string>& roots,
                                         const ScanOptions& options) {
  Walk walk{files, {}, {}};
  for (const std::string& root : roots) {
    if (files.FileExists(root)) {
      walk.File(root);
    } else {
      walk.Folder(root, 0);
    }
  }
  std::vector<ScannedArchive> found = std::move(walk.unreadable);
  ArchiveReader reader(files, system, options);
  const std::size_t total = walk.candidates.size();
  for (std::size_t i = 0; i < total; ++i) {
    if (auto a = reader.Read(walk.candidates[i])) found.push_back(std::move(*a));
    if (options.progress) options.progress(i + 1, total);
  }
  return found;
}

}  // namespace tarvo
