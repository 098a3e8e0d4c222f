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

// Reads an entry to its end, so that its CRC and authentication code are checked; with
// whole false only its first block. Every byte goes to sink when there is one.
bool ReadEntry(const ZipComponent::Impl& impl, const ZipEntry& wanted, const std::string& readPassword,
               const Sink* sink, bool whole, std::string& error) {
  if (impl.reader == nullptr) {
    error = "No archive is open";
    return false;
  }
  // The index is trusted only while it still names the same entry.
  const ZipEntry* entry = nullptr;
  if (wanted.index >= 0 && static_cast<std::size_t>(wanted.index) < impl.entries.size())
    entry = &impl.entries[static_cast<std::size_t>(wanted.index)];
  if (entry == nullptr || entry->name != wanted.name) entry = impl.Find(wanted.name);
  if (entry == nullptr || entry->name != wanted.name) {
    error = "No entry \"" + wanted.name + "\" in the archive";
    return false;
  }
  return ReadEntryData(impl.reader, static_cast<zip_uint64_t>(entry->index), readPassword, sink, whole, error);
}

// Creates the folder and every missing level above it.
bool EnsureFolder(FileSystem& files, const std::string& folder) {
  if (files.FolderExists(folder)) return true;
  const std::string parent = ParentFolder(folder);
  if (!parent.empty() && !EnsureFolder(files, parent)) return false;
  return files.CreateFolder(folder);
}

}  // namespace

// Entries keep their position in the central directory as index, so entries[i].index == i
// for every listed entry; an entry libzip cannot describe is left out of the names only.
void ZipComponent::Impl::IndexEntries() {
  entries.clear();
  exactNames.clear();
  foldedNames.clear();
  foldedCounts.clear();
  const zip_int64_t count = zip_get_num_entries(reader, 0);
  entries.reserve(static_cast<std::size_t>(std::max<zip_int64_t>(count, 0)));
  for (zip_int64_t i = 0; i < count; ++i) {
    auto entry = EntryAt(reader, static_cast<zip_uint64_t>(i));
    if (!entry) {
      entries.push_back(ZipEntry{});
      continue;
    }
    exactNames.emplace(entry->name, entries.size());
    foldedNames.emplace(FoldedName(entry->name), entries.size());
    ++foldedCounts[FoldedName(entry->name)];
    entries.push_back(std::move(*entry));
  }
}

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
  if (impl_->reader == nullptr) {
    lastError_ = "Cannot open " + path + ": " + ZipErrorText(code);
    return false;
  }
  impl_->IndexEntries();
  return true;
}

int ZipComponent::CheckPassword() {
  if (impl_->reader == nullptr) return 0;
  // The smallest protected entry is read whole (CRC and authentication code), so a password
  // that only passes the short verifier by chance is still caught.
  std::optional<ZipEntry> probe;
  for (const auto& entry : impl_->entries) {
    if (entry.index >= 0 && entry.encrypted && (!probe || entry.size < probe->size)) probe = entry;
  }
  if (!probe) return 1;
  const bool whole = probe->size <= kFullCheckLimit;
  return ReadEntry(*impl_, *probe, ReadPassword, nullptr, whole, lastError_) ? 1 : 0;
}

std::optional<ZipEntry> ZipComponent::GetEntry(const std::string& name) {
  const ZipEntry* entry = impl_->Find(name.substr(0, name.find('\0')));
  if (entry == nullptr) return std::nullopt;
  return *entry;
}

std::vector<ZipEntry> ZipComponent::Entries() {
  std::vector<ZipEntry> listed;
  listed.reserve(impl_->entries.size());
  for (const auto& entry : impl_->entries)
    if (entry.index >= 0) listed.push_back(entry);
  return listed;
}

bool ZipComponent::VerifyEntry(const ZipEntry& entry) {
  return ReadEntry(*impl_, entry, ReadPassword, nullptr, true, lastError_);
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
    ok = out.good() && ReadEntry(*impl_, entry, ReadPassword, &toFile, true, lastError_);
    out.close();
    if (ok && out.fail()) {
      lastError_ = "Cannot write " + work;
      ok = false;
    }
  }
  if (ok && !files_.ReplaceFile(work, target)) {
    lastError_ = "Cannot replace " + target;
    if (FileHeldOpen(files_.NativePath(target)))
      lastError_ += ": " + HeldFileAdviceFor(BareName(target), files_.NativePath(target));
    ok = false;
  }
  if (!ok) files_.DeleteFile(work);
  return ok;
}

bool ZipComponent::ExtractIntoFile(const ZipEntry& entry, const std::string& path) {
  lastError_.clear();
  if (events_ != nullptr) events_->UnzippingFile(entry.name);
  std::ofstream out(HostPath(files_.NativePath(path)), std::ios::binary | std::ios::trunc);
  const Sink toFile = [&out](const char* data, std::size_t size) {
    out.write(data, static_cast<std::streamsize>(size));
    return out.good();
  };
  bool ok = out.good() && ReadEntry(*impl_, entry, ReadPassword, &toFile, true, lastError_);
  out.close();
  if (ok && out.fail()) {
    lastError_ = "Cannot write " + path;
    ok = false;
  }
  if (!ok && lastError_.empty()) lastError_ = "Cannot write " + path;
  return ok;
}

std::optional<std::string> ZipComponent::ReadEntryBytes(const ZipEntry& entry, std::uint64_t limit) {
  lastError_.clear();
  if (entry.size > limit) {
    lastError_ = "Entry \"" + entry.name + "\" is larger than " + std::to_string(limit / (1024 * 1024)) + " MB";
    return std::nullopt;
  }
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(entry.size));
  const Sink toMemory = [&bytes](const char* data, std::size_t size) {
    bytes.append(data, size);
    return true;
  };
  if (!ReadEntry(*impl_, entry, ReadPassword, &toMemory, true, lastError_)) return std::nullopt;
  return bytes;
}

std::size_t ZipComponent::NameCount(const std::string& name) const {
  const auto it = impl_->foldedCounts.find(FoldedName(name));
  return it == impl_->foldedCounts.end() ? 0 : it->second;
}

}  // namespace tarvo
