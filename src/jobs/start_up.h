#pragma once
// What every run of the program sets up before its first job: its folders and work file
// paths, the user's names and the Outlook environment.
#include "jobs/app.h"

namespace tarvo {

inline constexpr const char* kNoOutlookMessage =
    "Your Windows System have not install MS Outlook or MS Outlook Error!";

// The executable's folder, the data folder (beside the executable for a portable copy
// that may write there, else a folder of the user), the record, log and settings paths,
// the shipped settings on a first start, an empty log, the computer and user names.
void PrepareFolders(App& app);

// Windows version, Outlook generation, profiles key and profile names, in that order.
void DiscoverOutlookEnvironment(App& app);

// False when there is no profile. Otherwise sets UserProfilePath.
bool UseProfiles(App& app);

}  // namespace tarvo
