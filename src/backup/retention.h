#pragma once
// Retention of dated automatic backups: only the archives the automatic run itself named
// for one target are ever counted or removed.
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvo {

// The dated archives of plain in its folder, oldest first: the files whose names are
// exactly what DatedArchiveName makes of plain at some minute.
std::vector<std::string> DatedArchivesOf(FileSystem& files, const std::string& plain);

// Removes the oldest dated archives of plain so that keep remain, counting current (the
// archive just written) as the newest whatever its date. keep 0 removes nothing. Returns
// the log entry of every file removed or that could not be removed.
std::vector<std::string> PruneDatedArchives(FileSystem& files, const std::string& plain, const std::string& current,
                                            int keep, const std::string& now);

}  // namespace tarvo
