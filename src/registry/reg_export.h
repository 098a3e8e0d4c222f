#pragma once
// The registry branch text format carried inside archives.
#include <string>

#include "platform/file_system.h"
#include "registry/mod_reg.h"

namespace tarvo {

// Writes the branch below keyPath to filePath; relativePath is empty at the top.
void ExportKey(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& relativePath,
               const std::string& filePath);
void ExportValues(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& filePath);
// Replaces the branch at baseKeyPath with the file's contents. The whole file is checked
// first: a file that does not parse leaves the branch untouched and returns false.
bool ImportKey(ModReg& reg, FileSystem& files, const std::string& baseKeyPath, const std::string& filePath);

}  // namespace tarvo
