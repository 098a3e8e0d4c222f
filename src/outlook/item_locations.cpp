#include "outlook/item_locations.h"

#include "app/settings.h"
#include "outlook/outlook_env.h"

namespace tarvo {
namespace {

enum Item { kDataFiles, kAccounts, kSignatures, kStationery, kPab, kOptions, kTemplates, kPreferences, kContacts };

constexpr const char* kSharedToolsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools";

std::string TrimSpaces(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  const auto last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// Left to right, without rescanning what was put in: "\\\\" becomes "\\".
std::string CollapseDoubledBackslashes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

// The folder under the user profile that holds Microsoft's per-user data.
std::string MicrosoftFolder(const OutlookEnv& env) {
  return env.UserProfilePath +
         (UsesAppDataLayout(env.WinVersion) ? "\\AppData\\Roaming\\Microsoft" : "\\Application Data\\Microsoft");
}

void SetByFolder(CheckBox& box, FileSystem& files, const std::string& folder) {
  box.enabled = FolderHasFiles(files, folder);
}

}  // namespace

void ComputeLocations(ModReg& reg, const OutlookEnv& env, const std::string& profile, Locations& loc) {
  const std::string microsoft = MicrosoftFolder(env);
  loc.AccountsKey = env.ProfilesKey + "\\" + profile + "\\" + kAccountsSubkey;
  loc.SignaturesPath = microsoft + "\\Signatures";
  if (IsOffice12OrLater(env.OfficeVersion)) {
    // The stored folder ends with "\"; a missing value gives "ErrorStationery", no folder.
    loc.StationeryPath = TrimSpaces(reg.GetStringValue(kSharedToolsKey, "SharedFilesDir")) + "Stationery";
  } else {
    loc.StationeryPath = env.UserProfilePath + "\\Application Data\\Microsoft\\Stationery";
  }
  loc.RulesPath = microsoft + "\\Outlook";
  loc.OptionsKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + env.OfficeVersion + "\\Outlook\\Options";
  loc.TemplatesPath = microsoft + "\\Templates";
  loc.PreferencesPath = loc.RulesPath;
  loc.ContactsPath = env.UserProfilePath + "\\Contacts";
}

bool FolderHasFiles(FileSystem& files, const std::string& folder) {
  if (!files.FolderExists(folder)) return false;
  const auto names = files.ListFiles(folder);
  return names && !names->empty();
}

bool FindPersonalAddressBook(ModReg& reg, FileSystem& files, const std::string& profileKey) {
  for (const auto& section : reg.EnumSubKeys(profileKey)) {
    const std::string path = CollapseDoubledBackslashes(reg.GetStringValue(profileKey + "\\" + section, "001e6600"));
    if (path != kRegError && files.FileExists(path)) return true;
  }
  return false;
}

std::string ProposedTargetFolder(FileSystem& files, const std::string& settingsFile, const std::string& programFolder) {
  std::string folder =
      BackupFolderFromSetting(ReadSetting(files, settingsFile, "backup", "backupfolder"), programFolder);
  if (!files.FolderExists(folder)) folder = programFolder;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

TargetProposal SelectSourceProfile(const ItemSourceInputs& in, const std::string& profile,
                                   std::array<CheckBox, 9>& items, Locations& loc, SourceMode mode) {
  for (auto& box : items) {
    box.enabled = true;
    box.value = 0;
  }
  ComputeLocations(in.reg, in.env, profile, loc);

  if (!in.reg.KeyExists(loc.AccountsKey)) items[kAccounts].enabled = false;
  SetByFolder(items[kSignatures], in.files, loc.SignaturesPath);
  SetByFolder(items[kStationery], in.files, loc.StationeryPath);

  if (IsOffice12OrLater(in.env.OfficeVersion)) {
    items[kPab].enabled = false;
    items[kPab].tooltip = kNoPabTooltip;
  } else {
    // An empty profile would name the profiles key itself; nothing to search there.
    items[kPab].enabled =
        !profile.empty() && FindPersonalAddressBook(in.reg, in.files, in.env.ProfilesKey + "\\" + profile);
  }

  SetByFolder(items[kTemplates], in.files, loc.TemplatesPath);
  SetByFolder(items[kPreferences], in.files, loc.PreferencesPath);
  SetByFolder(items[kContacts], in.files, loc.ContactsPath);

  TargetProposal proposal;
  if (mode == SourceMode::MainWindow) {
    if (!ReadFlag(in.files, in.settingsFile, "backup", "automgeneratefile")) return proposal;
    proposal.name = ProposedTargetFolder(in.files, in.settingsFile, in.programFolder) + "\\mvbox-" + profile + "-" +
                    DateMMDDYYYY(in.clock.Now()) + ".tvo";
  } else {
    proposal.name = ProposedTargetFolder(in.files, in.settingsFile, in.programFolder) + "\\mvbox-" + profile + ".tvo";
  }
  proposal.apply = true;
  return proposal;
}

TargetProposal SelectSourceProfile(App& app, const std::string& profile, std::array<CheckBox, 9>& items,
                                   SourceMode mode) {
  const ItemSourceInputs in{app.reg, app.platform.files, app.platform.system, app.state.env, app.state.SettingsFile,
                            app.state.ProgramFolder};
  return SelectSourceProfile(in, profile, items, app.state.loc, mode);
}

}  // namespace tarvo
