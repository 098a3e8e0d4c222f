#include "backup/archive_check.h"

#include "backup/archive_record.h"
#include "backup/work_files.h"
#include "backup/zip_component.h"

namespace tarvo {

std::string CheckArchive(FileSystem& files, const std::string& path, const std::string& password) {
  ZipComponent zip(files);
  if (!zip.OpenArchive(path)) return zip.LastError();
  zip.ReadPassword = password;
  const auto entries = zip.Entries();
  bool hasRecord = false;
  for (const ZipEntry& entry : entries) {
    if (!zip.VerifyEntry(entry)) return "the entry " + entry.name + " does not read back: " + zip.LastError();
    hasRecord = hasRecord || entry.name == archive::kRecordEntry;
  }
  if (!hasRecord) return std::string("the entry ") + archive::kRecordEntry + " is missing";
  return {};
}

std::string CheckedArchiveWrite::Begin(const std::string& target) {
  target_ = target;
  work_.clear();
  if (!check_) return target;
  const std::string folder = ParentFolder(target);
  const std::string work = folder.empty() ? target + ".chk" : NewArchiveWorkFile(files_, target);
  // Without a work file the archive is written in place and still checked afterwards.
  if (folder.empty() || files_.FileExists(work)) work_ = work;
  return work_.empty() ? target : work_;
}

std::string CheckedArchiveWrite::ForTarget(std::string text) const {
  if (work_.empty()) return text;
  for (std::size_t at = text.find(work_); at != std::string::npos; at = text.find(work_, at + target_.size()))
    text.replace(at, work_.size(), target_);
  return text;
}

bool CheckedArchiveWrite::Finish(bool written, const std::string& writeError, const std::string& password) {
  writeError_ = ForTarget(writeError);
  const std::string archive = work_.empty() ? target_ : work_;
  if (!written) {
    if (!work_.empty() && files_.FileExists(work_)) files_.DeleteFile(work_);
    return false;
  }
  if (!check_) return true;
  if (beforeCheck_) beforeCheck_(archive);
  checkError_ = ForTarget(CheckArchive(files_, archive, password));
  if (!checkError_.empty()) {
    checkFailed_ = true;
    // A damaged archive is no backup; the previous one stays where it was.
    files_.DeleteFile(archive);
    return false;
  }
  if (!work_.empty() && !files_.ReplaceFile(work_, target_)) {
    writeError_ = "Cannot replace " + target_ + " with the new archive";
    files_.DeleteFile(work_);
    return false;
  }
  return true;
}

}  // namespace tarvo
