#pragma once
// Where each backup item of a profile lives, which items have something to back up, and
// the proposed archive name. Shared by the main window's source list and the scheduled
// backup window's profile list.
#include <array>
#include <string>

#include "app/app.h"
#include "app/app_state.h"
#include "app/controls.h"
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
  const std::string& programFolder;
};

struct TargetProposal {
  std::string name;    // full path of the proposed archive
  bool apply = false;  // false: the target box keeps its text
};

// Recomputes the location set for profile, enables and unchecks the nine item boxes by
// what exists, and proposes the archive name. TargetFile is left to the caller.
TargetProposal SelectSourceProfile(const ItemSourceInputs& in, const std::string& profile,
                                   std::array<CheckBox, 9>& items, Locations& loc, SourceMode mode);
// The same for a running program.
TargetProposal SelectSourceProfile(App& app, const std::string& profile, std::array<CheckBox, 9>& items,
                                   SourceMode mode);

// Pieces of the above, for the collectors and tests.
void ComputeLocations(ModReg& reg, const OutlookEnv& env, const std::string& profile, Locations& loc);
bool FolderHasFiles(FileSystem& files, const std::string& folder);
bool FindPersonalAddressBook(ModReg& reg, FileSystem& files, const std::string& profileKey);
std::string ProposedTargetFolder(FileSystem& files, const std::string& settingsFile, const std::string& programFolder);

}  // namespace tarvo
