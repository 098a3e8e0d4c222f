#pragma once
// Where each backup item of a profile lives, which items have something to back up, and
// the proposed archive name. Shared by the main window's source list and the scheduled
// backup window's profile list and `tvo backup`.
#include <array>
#include <string>

#include "core/app_state.h"
#include "platform/file_system.h"
#include "platform/system_info.h"
#include "registry/mod_reg.h"

namespace tarvo {

inline constexpr const char* kNoPabTooltip = "Your MS Outlook don't support Personal Address Book!";
inline constexpr const char* kAccountsSubkey = "9375CFF0413111d3B88A00104B2A6676";

enum class SourceMode {
  MainWindow,     // dated name, only when "automgeneratefile" is on
  ScheduledTask,  // always a name, without the date
};

struct ItemSourceInputs {
  ModReg& reg;
  FileSystem& files;
  SystemInfo& clock;
  const OutlookEnv& env;
  const std::string& settingsFile;
  const std::string& dataFolder;
};

struct TargetProposal {
  std::string name;    // full path of the proposed archive
  bool apply = false;  // false: the target box keeps its text
};

// What a profile offers: which of the nine item boxes have something to back up, and the
// proposed archive name.
struct SourceChoice {
  std::array<bool, 9> available{};
  bool pabUnsupported = false;  // this Outlook has no personal address book at all
  TargetProposal proposal;
};

// Recomputes the location set for profile, finds what exists and proposes the archive
// name. TargetFile is left to the caller.
SourceChoice ChooseSourceProfile(const ItemSourceInputs& in, const std::string& profile, Locations& loc,
                                 SourceMode mode);

// Pieces of the above, for the collectors and tests.
void ComputeLocations(ModReg& reg, const OutlookEnv& env, const std::string& profile, Locations& loc);
bool FolderHasFiles(FileSystem& files, const std::string& folder);
bool FindPersonalAddressBook(ModReg& reg, FileSystem& files, const std::string& profileKey);
std::string ProposedTargetFolder(FileSystem& files, const std::string& settingsFile, const std::string& dataFolder);

}  // namespace tarvo
