#pragma once
// The registry branch text format carried inside archives.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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

// One line of an export, read: a key (its path below the exported key, "\" for the key
// itself) or a value of the key before it. A value of a type the format does not carry
// has type 0 and writes nothing.
struct ImportStep {
  bool isKey = false;
  std::string keyPath;
  std::string name;
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
};
struct ParsedExport {
  std::vector<ImportStep> steps;
};
// The export's text (UTF-8) up to its end or first empty line; nullopt when a line does
// not parse, so nothing is applied from a damaged file.
std::optional<ParsedExport> ParseExportText(const std::string& text);
// Replaces the branch at baseKeyPath by the parsed export, as ImportKey does.
bool ApplyExport(ModReg& reg, const std::string& baseKeyPath, const ParsedExport& parsed);

}  // namespace tarvo
