#pragma once
// Work files a run makes and the clean-up of those a killed run left behind. Only names
// this program makes are ever removed: an archive's work files carry the archive's name,
// and a data-folder work file is removed only when no live run holds it.
#include <string>

#include "platform/file_system.h"

namespace tarvo {

// A new empty work file beside target, named after it: "<target>.~" + hex + ".TMP".
std::string NewArchiveWorkFile(FileSystem& files, const std::string& target);

// Whether fileName is a work file of the archive named archiveName: the archive's name, one
// or more ".~" + hex + ".TMP" parts (a checked write nests one work file in another), and
// perhaps the ".xxxxxx" of the zip library's own work file.
bool IsArchiveLeftover(const std::string& archiveName, const std::string& fileName);

// Whether fileName is a record or registry-export work file of a run ("OBI", "OBC" or
// "OBA", up to four hex digits, ".TMP").
bool IsRunWorkFileName(const std::string& fileName);

// A new empty run work file in folder (CreateTempFile's name), held as this run's until
// the process ends so that the clean-up of other runs leaves it alone.
std::string NewRunWorkFile(FileSystem& files, const std::string& folder, const std::string& prefix);

// Removes the work files of archive left by a killed run. The caller holds the archive's lock.
void RemoveArchiveLeftovers(FileSystem& files, const std::string& archive);

// Removes the run work files of dataFolder that no live run holds.
void RemoveStaleRunWorkFiles(FileSystem& files, const std::string& dataFolder);

}  // namespace tarvo
