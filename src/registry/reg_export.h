#pragma once
// The registry branch text format carried inside archives.
#include <string>

#include "platform/file_system.h"
#include "registry/mod_reg.h"

namespace tarvo {

// Writes the branch below keyPath to filePath; relativePath is empty at the top. False
// when a line could not be written to the file (a key that cannot be read is no failure:
// its key line stands alone).
bool ExportKey(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& relativePath,
               const std::string& filePath);
bool ExportValues(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& filePath);
// Replaces the branch at baseKeyPath with the file's contents. The whole file is checked
// first: a file that does not parse leaves the branch untouched and returns false. A
// registry write that fails during the rebuild does not stop it but also gives false.
bool ImportKey(ModReg& reg, FileSystem& files, const std::string& baseKeyPath, const std::string& filePath);

}  // namespace tarvo
