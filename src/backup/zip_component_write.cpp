// Writing an archive: files are taken in by name and streamed into the archive only in
// WriteArchive, into a work file beside the target that replaces the target when complete.
#include "backup/zip_component.h"
#include "backup/zip_component_impl.h"
#include "backup/zip_counting_source.h"
#include "backup/zip_native_io.h"
#include "backup/work_files.h"

namespace tarvo {

namespace {

// Raises WriteComplete when WriteArchive leaves, whichever way it leaves.
class CompleteOnExit {
 public:
  explicit CompleteOnExit(ZipEvents* events) : events_(events) {}
  ~CompleteOnExit() {
    if (events_ != nullptr) events_->WriteComplete();
  }
  CompleteOnExit(const CompleteOnExit&) = delete;
  CompleteOnExit& operator=(const CompleteOnExit&) = delete;

 private:
  ZipEvents* events_;
};

struct WriteSettings {
  int level;
  bool encrypt;
  const std::string& password;
};

bool AddEntry(zip_t* archive, FileSystem& files, const PendingFile& file,
              const WriteSettings& settings, WriteTally& tally) {
  zip_source_t* source = NewCountingFileSource(archive, files.NativePath(file.path), file.path, settings.level,
                                               settings.encrypt ? settings.password : std::string(), tally);
  if (source == nullptr) return false;
  const zip_int64_t index = zip_file_add(archive, file.name.c_str(), source, ZIP_FL_ENC_UTF_8);
  if (index < 0) {
    zip_source_free(source);
    return false;
  }
  // The source deflates and encrypts itself; marking the entry AES-256 without a password
  // makes libzip store that data as it is and write the AES extra field.
  const auto at = static_cast<zip_uint64_t>(index);
  return !settings.encrypt || zip_file_set_encryption(archive, at, ZIP_EM_AES_256, nullptr) == 0;
}

// The folder of path, a drive's root as "X:\\" (a bare "X:" is the drive's current folder).
std::string FolderOf(const std::string& path) {
  const std::string folder = ParentFolder(path);
  return folder.size() == 2 && folder[1] == ':' ? folder + "\\" : folder;
}

// Streams every file into a new zip at nativeWork; on failure error says what failed.
bool WriteZip(FileSystem& files, const std::string& target, const std::vector<PendingFile>& pending,
              const WriteSettings& settings,
              const std::string& nativeWork, WriteTally& tally, std::string& error) {
  int code = 0;
  zip_t* archive = zip_open(nativeWork.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (archive == nullptr) {
    error = "Cannot create " + target + ": " + ZipErrorText(code);
    return false;
  }
  for (const auto& file : pending) {
    if (!AddEntry(archive, files, file, settings, tally)) {
      error = "Cannot add " + file.path + " to " + target + ": " + ZipErrorText(zip_get_error(archive));
      zip_discard(archive);
      return false;
    }
  }
  if (zip_close(archive) < 0) {
    if (!tally.failedFile.empty())
      error = "Cannot read " + tally.failedFile + ": " + tally.failedReason;
    else
      error = "Cannot write " + target + ": " +
              WriteErrorText(zip_get_error(archive), files.FreeSpace(FolderOf(target)), tally.total);
    zip_discard(archive);
    return false;
  }
  return true;
}

}  // namespace

bool ZipComponent::NewArchive(const std::string& path) {
  CloseArchive();
  lastError_.clear();
  impl_->target = path;
  const std::string folder = ParentFolder(path);
  return folder.empty() || files_.FolderExists(folder);
}

AddResult ZipComponent::AddFile(const std::string& path, int /*flag*/) { return AddFileAs(path, BareName(path)); }

AddResult ZipComponent::AddFileAs(const std::string& path, const std::string& name) {
  if (!files_.FileExists(path)) return AddResult::Missing;
  if (const auto* first = impl_->FindPending(name)) {
    // The first entry of a name stays; the caller logs a second one that differs.
    const Compare same = CompareFiles(files_.NativePath(first->path), files_.NativePath(path));
    return same == Compare::Same ? AddResult::SameNameSameContent : AddResult::SameNameOtherContent;
  }
  impl_->pending.push_back({path, name});
  if (events_ != nullptr) events_->AddingFile(name);
  return AddResult::Added;
}

bool ZipComponent::WriteArchive() {
  CompleteOnExit complete(events_);
  lastError_.clear();
  const std::string& target = impl_->target;
  if (target.empty()) {
    lastError_ = "No archive was begun";
    return false;
  }
  if (impl_->pending.empty()) {
    lastError_ = "No files to write into " + target;
    return false;
  }
  if (EncryptArchive != 0 && WritePassword.empty()) {
    lastError_ = "No password given for the protected archive " + target;
    return false;
  }

  const std::string folder = ParentFolder(target);
  const std::string work = folder.empty() ? target + ".part" : NewArchiveWorkFile(files_, target);
  if (!folder.empty() && !files_.FileExists(work)) {
    lastError_ = NoWorkFileText(folder);
    return false;
  }

  WriteTally tally;
  tally.events = events_;
  for (const auto& p : impl_->pending) tally.total += files_.FileSize(p.path).value_or(0);

  const WriteSettings settings{DeflateLevel, EncryptArchive != 0, WritePassword};
  if (!WriteZip(files_, target, impl_->pending, settings, files_.NativePath(work), tally, lastError_)) {
    files_.DeleteFile(work);
    return false;
  }
  if (!files_.ReplaceFile(work, target)) {
    lastError_ = "Cannot replace " + target + " with the new archive";
    files_.DeleteFile(work);
    return false;
  }
  tally.Finish();
  return true;
}

}  // namespace tarvo
