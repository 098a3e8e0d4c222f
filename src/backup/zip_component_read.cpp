// Reading an archive: listing, password check, and extraction through a work file that
// replaces the destination only after the entry was read whole and passed its checks.
#include <fstream>
#include <functional>
#include <vector>

#include "backup/zip_component.h"
#include "backup/zip_component_impl.h"
#include "backup/zip_entry_reader.h"
#include "backup/zip_native_io.h"
#include "platform/system_error.h"

namespace tarvo {

namespace {

// Larger entries are only opened, not read, when the password is checked: opening checks
// the password verifier, and extraction checks the rest.
constexpr std::uint64_t kFullCheckLimit = 16u * 1024 * 1024;

using Sink = ChunkSink;

std::optional<ZipEntry> EntryAt(zip_t* archive, zip_uint64_t index) {
  zip_stat_t st;
  if (zip_stat_index(archive, index, 0, &st) < 0 || st.name == nullptr) return std::nullopt;
  ZipEntry entry;
  entry.name = st.name;
  entry.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
  entry.compressedSize = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
  entry.crc = (st.valid & ZIP_STAT_CRC) ? st.crc : 0;
  entry.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
  entry.index = static_cast<std::int64_t>(index);
  return entry;
}

std::vector<ZipEntry> AllEntries(zip_t* archive) {
  std::vector<ZipEntry> entries;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    if (auto entry = EntryAt(archive, static_cast<zip_uint64_t>(i))) entries.push_back(std::move(*entry));
  }
  return entries;
}

std::optional<ZipEntry> FindEntry(zip_t* archive, const std::string& wanted) {
  const auto entries = AllEntries(archive);
  for (const auto& entry : entries) {
    if (entry.name == wanted) return entry;
  }
  for (const auto& entry : entries) {
    if (SameNameIgnoringCase(entry.name, wanted)) return entry;
  }
  return std::nullopt;
}

// Reads an entry to its end, so that its CRC and authentication code are checked; with
// whole false only its first block. Every byte goes to sink when there is one.
bool ReadEntry(zip_t* archive, const ZipEntry& wanted, const std::string& readPassword,
               const Sink* sink, bool whole, std::string& error) {
  if (archive == nullptr) {
    error = "No archive is open";
    return false;
  }
  // The index is trusted only while it still names the same entry.
  std::optional<ZipEntry> entry;
  if (wanted.index >= 0) entry = EntryAt(archive, static_cast<zip_uint64_t>(wanted.index));
  if (!entry || entry->name != wanted.name) entry = FindEntry(archive, wanted.name);
  if (!entry || entry->name != wanted.name) {
    error = "No entry \"" + wanted.name + "\" in the archive";
    return false;
  }

  return ReadEntryData(archive, static_cast<zip_uint64_t>(entry->index), readPassword, sink, whole, error);
}

// Creates the folder and every missing level above it.
bool EnsureFolder(FileSystem& files, const std::string& folder) {
  if (files.FolderExists(folder)) return true;
  const std::string parent = ParentFolder(folder);
  if (!parent.empty() && !EnsureFolder(files, parent)) return false;
  return files.CreateFolder(folder);
}

}  // namespace

int ZipComponent::IsEncrypted(const std::string& path) {
  int code = 0;
  zip_t* archive = zip_open(files_.NativePath(path).c_str(), ZIP_RDONLY, &code);
  if (archive == nullptr) return 0;
  int result = 0;
  for (const auto& entry : AllEntries(archive)) {
    if (entry.encrypted) result = 1;
  }
  zip_discard(archive);
  return result;
}

bool ZipComponent::OpenArchive(const std::string& path) {
  CloseArchive();
  lastError_.clear();
  int code = 0;
  impl_->reader = zip_open(files_.NativePath(path).c_str(), ZIP_RDONLY, &code);
  if (impl_->reader == nullptr) lastError_ = "Cannot open " + path + ": " + ZipErrorText(code);
  return impl_->reader != nullptr;
}

int ZipComponent::CheckPassword() {
  if (impl_->reader == nullptr) return 0;
  // The smallest protected entry is read whole (CRC and authentication code), so a password
  // that only passes the short verifier by chance is still caught.
  std::optional<ZipEntry> probe;
  for (auto& entry : AllEntries(impl_->reader)) {
    if (entry.encrypted && (!probe || entry.size < probe->size)) probe = std::move(entry);
  }
  if (!probe) return 1;
  const bool whole = probe->size <= kFullCheckLimit;
  return ReadEntry(impl_->reader, *probe, ReadPassword, nullptr, whole, lastError_) ? 1 : 0;
}

std::optional<ZipEntry> ZipComponent::GetEntry(const std::string& name) {
  if (impl_->reader == nullptr) return std::nullopt;
  return FindEntry(impl_->reader, name.substr(0, name.find('\0')));
}

std::vector<ZipEntry> ZipComponent::Entries() {
  if (impl_->reader == nullptr) return {};
  return AllEntries(impl_->reader);
}

bool ZipComponent::VerifyEntry(const ZipEntry& entry) {
  return ReadEntry(impl_->reader, entry, ReadPassword, nullptr, true, lastError_);
}

bool ZipComponent::ExtractTo(const ZipEntry& entry, const std::string& folder) {
  lastError_.clear();
  if (!IsSafeEntryName(entry.name)) {
    lastError_ = "Refused the entry \"" + entry.name + "\": its name is not a plain file name";
    return false;
  }
  return ExtractToFile(entry, JoinPath(folder, entry.name));
}

bool ZipComponent::ExtractToFile(const ZipEntry& entry, const std::string& target) {
  lastError_.clear();
  const std::string folder = ParentFolder(target);
  if (events_ != nullptr) events_->UnzippingFile(entry.name);
  const std::string work = EnsureFolder(files_, folder) ? files_.CreateTempFile(folder, "tvo") : std::string();
  if (work.empty() || !files_.FileExists(work)) {
    lastError_ = NoWorkFileText(folder);
    return false;
  }
  bool ok = false;
  {
    std::ofstream out(HostPath(files_.NativePath(work)), std::ios::binary | std::ios::trunc);
    const Sink toFile = [&out](const char* data, std::size_t size) {
      out.write(data, static_cast<std::streamsize>(size));
      return out.good();
    };
    ok = out.good() && ReadEntry(impl_->reader, entry, ReadPassword, &toFile, true, lastError_);
    out.close();
    if (ok && out.fail()) {
      lastError_ = "Cannot write " + work;
      ok = false;
    }
  }
  if (ok && !files_.ReplaceFile(work, target)) {
    lastError_ = "Cannot replace " + target;
    if (FileHeldOpen(files_.NativePath(target))) lastError_ += std::string(": ") + kFileInUseAdvice;
    ok = false;
  }
  if (!ok) files_.DeleteFile(work);
  return ok;
}

}  // namespace tarvo
