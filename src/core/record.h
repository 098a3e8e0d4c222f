#pragma once
// Key=value record files (the archive's information record) and work files.
#include <stdexcept>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

struct RecordError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// First line whose key matches without regard to case; scanning stops at the first empty
// line. Throws RecordError when the file cannot be read.
std::string GetINI(FileSystem& files, const std::string& key, const std::string& file);
// Appends key=value CR LF. Throws RecordError when the file cannot be written.
void SaveINI(FileSystem& files, const std::string& key, const std::string& value, const std::string& file);
// A new empty file in folder named like GetTempFileName does.
std::string sGetTempFile(FileSystem& files, const std::string& folder, const std::string& prefix);
// Appends text + CR LF (ANSI), creating the file; false on any error.
bool AppendLogLine(FileSystem& files, const std::string& file, const std::string& text);

}  // namespace tarvo
