#pragma once
// State of ZipComponent shared by its writing and reading halves.
#include <string>
#include <vector>

#include <zip.h>

#include "backup/zip_component.h"

namespace tarvo {

// A file taken into the archive being built.
struct PendingFile {
  std::string path;
  std::string name;  // its entry name
};

struct ZipComponent::Impl {
  // Writing: the target and the files taken in, read only when the archive is written.
  std::string target;
  std::vector<PendingFile> pending;

  // Reading: the archive opened for reading.
  zip_t* reader = nullptr;

  ~Impl() { CloseReader(); }
  void CloseReader() {
    if (reader != nullptr) zip_discard(reader);
    reader = nullptr;
  }
  const PendingFile* FindPending(const std::string& name) const;
};

// Windows compares file names without regard to case; so do entry names here.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);
std::string ZipErrorText(int code);
// Copies the error first: libzip keeps the text it makes inside the error it describes.
std::string ZipErrorText(const zip_error_t* error);

}  // namespace tarvo
