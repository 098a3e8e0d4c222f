#pragma once
// Outlook generation, Windows version and the user's Outlook profiles.
#include <string>

#include "core/app_state.h"
#include "platform/office_probe.h"
#include "platform/system_info.h"
#include "registry/mod_reg.h"

namespace tarvo {

// Returns the display name ("Outlook 2010", "No Outlook", or empty) and may set
// env.OfficeVersion.
std::string GetOutlookVersion(OfficeProbe& probe, ModReg& reg, OutlookEnv& env);
void ChooseProfilesKey(OutlookEnv& env);
void GetProfileNames(ModReg& reg, OutlookEnv& env);
bool IsBlankName(const std::string& name);
std::string GetWinVersion(SystemInfo& system, OutlookEnv& env);

// Windows 6.0 and every later version use the "AppData" layout.
bool UsesAppDataLayout(const std::string& winVersion);
// Office 12.0 and later: stationery in the shared-files folder, no personal address book.
bool IsOffice12OrLater(const std::string& officeVersion);

}  // namespace tarvo
