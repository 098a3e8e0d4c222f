#pragma once
// Loads a registry export over a live branch without risking the branch: the branch is
// first saved to a work file, and put back when the import fails.
#include <string>

#include "platform/file_system.h"
#include "registry/mod_reg.h"

namespace tarvo {

struct BranchImportResult {
  bool imported = false;
  // Why it failed, for the run log; empty after success.
  std::string problem;
};

// workFolder receives the safety copy (a GetTempFileName-style name with prefix "OBR"),
// which is deleted once the branch is in a known state. When even the copy cannot be put
// back it is kept, and problem names it.
BranchImportResult ImportBranchSafely(ModReg& reg, FileSystem& files, const std::string& keyPath,
                                      const std::string& exportFile, const std::string& workFolder);

}  // namespace tarvo
