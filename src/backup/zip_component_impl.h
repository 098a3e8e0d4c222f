#pragma once
// State of ZipComponent shared by its writing and reading halves.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <zip.h>

#include "backup/zip_component.h"

namespace tarvo {

// A file taken into the archive being built.
struct PendingFile {
  std::string path;
  std::string name;  // its entry name
};

std::string FoldedName(const std::string& name);  // equal for names SameNameIgnoringCase

struct ZipComponent::Impl {
  // Writing: the target and the files taken in, read only when the archive is written.
  std::string target;
  std::vector<PendingFile> pending;

  // Reading: the archive opened for reading, and its entries listed once per opening so
  // that every lookup by name is a single hash lookup.
  zip_t* reader = nullptr;
  std::vector<ZipEntry> entries;
  std::unordered_map<std::string, std::size_t> exactNames, foldedNames;  // first entry of a name
  std::unordered_map<std::string, std::size_t> foldedCounts;

  ~Impl() { CloseReader(); }
  void CloseReader() {
    if (reader != nullptr) zip_discard(reader);
    reader = nullptr;
    entries.clear();
    exactNames.clear();
    foldedNames.clear();
    foldedCounts.clear();
  }
  void IndexEntries();
  // The entry of that exact name, else the first of that name in another case.
  const ZipEntry* Find(const std::string& name) const {
    if (auto it = exactNames.find(name); it != exactNames.end()) return &entries[it->second];
    if (auto it = foldedNames.find(FoldedName(name)); it != foldedNames.end()) return &entries[it->second];
    return nullptr;
  }
  const PendingFile* FindPending(const std::string& name) const;
};

// Windows compares file names without regard to case; so do entry names here.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);
std::string ZipErrorText(int code);
// Copies the error first: libzip keeps the text it makes inside the error it describes.
std::string ZipErrorText(const zip_error_t* error);
// The text of an archive write that failed: a write error without a cause (a short write)
// onto a folder with less free space than the data to write is a full disk.
// The text of a folder where not even an empty work file could be made.
std::string NoWorkFileText(const std::string& folder);
std::string WriteErrorText(const zip_error_t* error, std::optional<std::uint64_t> freeBytes, std::uint64_t toWrite);

}  // namespace tarvo
