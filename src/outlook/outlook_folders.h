#pragma once
// Where the restorers put each item on this machine, by Windows and Office version.
// Destinations are recomputed at restore time and may differ from the backup locations.
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/text.h"
#include "registry/mod_reg.h"

namespace tarvo {

inline constexpr const char* kStoreSectionKey = "0a0d020000000000c000000000000046";
inline constexpr const char* kDeliveryAccountKey = "9375CFF0413111d3B88A00104B2A6676\\00000005";

// Personal folder files and the address book: the local (not roaming) Outlook folder.
std::string LocalOutlookFolder(const OutlookEnv& env);
// A folder under the roaming "Microsoft" branch: "Outlook", "Signatures", "Templates"...
std::string RoamingMicrosoftFolder(const OutlookEnv& env, const std::string& leaf);
std::string ContactsFolder(const OutlookEnv& env);
// Stationery: the shared-files folder for Office 12.0 and later, else the roaming branch.
// sharedFilesDir is the stored value as read ("Error" when unreadable).
std::string StationeryRestoreFolder(const OutlookEnv& env, const std::string& sharedFilesDir);
// "SharedFilesDir" of the Shared Tools key, trimmed; "Error" when unreadable.
std::string ReadSharedFilesDir(ModReg& reg);
std::string OptionsKeyFor(const OutlookEnv& env);
// The registry key of a profile: the profiles key + "\" + its name.
std::string ProfileKeyFor(const OutlookEnv& env, const std::string& profile);
// The favourites file of a profile. Older Outlook kept it under "Application Data" on every
// Windows; on the AppData layout the roaming folder holds it as well.
std::vector<std::string> FavouritesFiles(const OutlookEnv& env, const std::string& profile);


}  // namespace tarvo
