#include "backup/profile_check.h"

#include "platform/host_file_system.h"

namespace tarvo {

bool ProfileExists(ModReg& reg, const std::string& profilesKey, const std::string& profile) {
  if (profilesKey.empty() || profile.empty()) return false;
  for (const std::string& name : reg.EnumSubKeys(profilesKey)) {
    if (SameNameNoCase(name, profile)) return true;
  }
  return false;
}

std::string MissingProfileLogEntry(const std::string& now, const std::string& profile, const std::string& archive) {
  return now + " Automatic Backup of profile " + profile +
         " was not done: this user has no Outlook profile of that name (renamed or deleted?). Nothing was written; " +
         "the backup file " + archive + " was left as it was. Schedule the backup again for an existing profile." +
         "\n";
}

}  // namespace tarvo
