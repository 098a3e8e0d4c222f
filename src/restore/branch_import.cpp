#include "restore/branch_import.h"

#include "core/record.h"
#include "registry/reg_export.h"

namespace tarvo {

BranchImportResult ImportBranchSafely(ModReg& reg, FileSystem& files, const std::string& keyPath,
                                      const std::string& exportFile, const std::string& workFolder) {
  BranchImportResult result;
  std::string copy;
  try {
    copy = sGetTempFile(files, workFolder, "OBR");
  } catch (const std::exception&) {
  }
  if (copy.empty() || !files.FileExists(copy)) {
    result.problem = "no work file in " + workFolder + " for a copy of " + keyPath;
    return result;
  }
  const bool exported = ExportKey(reg, files, keyPath, "", copy);
  const auto saved = files.ReadAll(copy);
  if (!exported || !saved || saved->empty()) {
    files.DeleteFile(copy);
    result.problem = "could not save " + keyPath + " before the import";
    return result;
  }

  if (ImportKey(reg, files, keyPath, exportFile)) {
    files.DeleteFile(copy);
    result.imported = true;
    return result;
  }
  if (ImportKey(reg, files, keyPath, copy)) {
    files.DeleteFile(copy);
    result.problem = "import into " + keyPath + " failed; the earlier branch was put back";
  } else {
    result.problem = "import into " + keyPath + " failed and the earlier branch could not be put back; its copy is " + copy;
  }
  return result;
}

}  // namespace tarvo
