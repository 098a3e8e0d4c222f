#pragma once
// Whether the profile an unattended run names still exists: a task keeps the profile name
// it was made with, and a renamed or deleted profile must not turn into an empty backup.
#include <string>

#include "registry/mod_reg.h"

namespace tarvo {

// True when a subkey of profilesKey bears the name, compared without regard to case as the
// registry compares key names. An empty profilesKey (no Outlook found) holds no profile.
bool ProfileExists(ModReg& reg, const std::string& profilesKey, const std::string& profile);

// The run log entry of an automatic backup left undone because its profile is gone.
std::string MissingProfileLogEntry(const std::string& now, const std::string& profile, const std::string& archive);

}  // namespace tarvo
