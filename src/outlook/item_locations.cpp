#include "outlook/item_locations.h"

#include "core/settings.h"
#include "outlook/outlook_env.h"
#include "outlook/outlook_folders.h"
#include "platform/text.h"

namespace tarvo {
namespace {

enum Item { kDataFiles, kAccounts, kSignatures, kStationery, kPab, kOptions, kTemplates, kPreferences, kContacts };


}  // namespace

void ComputeLocations(ModReg& reg, const OutlookEnv& env, const std::string& profile, Locations& loc) {
  loc.AccountsKey = ProfileKeyFor(env, profile) + "\\" + kAccountsSubkey;
  loc.SignaturesPath = RoamingMicrosoftFolder(env, "Signatures");
  if (IsOffice12OrLater(env.OfficeVersion)) {
    // The stored folder ends with "\"; a missing value gives "ErrorStationery", no folder.
    loc.StationeryPath = ReadSharedFilesDir(reg) + "Stationery";
  } else {
    loc.StationeryPath = env.UserProfilePath + "\\Application Data\\Microsoft\\Stationery";
  }
  loc.RulesPath = RoamingMicrosoftFolder(env, "Outlook");
  loc.OptionsKey = OptionsKeyFor(env);
  loc.TemplatesPath = RoamingMicrosoftFolder(env, "Templates");
  loc.PreferencesPath = loc.RulesPath;
  loc.ContactsPath = ContactsFolder(env);
}

bool FolderHasFiles(FileSystem& files, const std::string& folder) {
  if (!files.FolderExists(folder)) return false;
  const auto names = files.ListFiles(folder);
  return names && !names->empty();
}

bool FindPersonalAddressBook(ModReg& reg, FileSystem& files, const std::string& profileKey) {
  for (const auto& section : reg.EnumSubKeys(profileKey)) {
    const std::string path = HalveDoubledBackslashes(reg.GetStringValue(profileKey + "\\" + section, "001e6600"));
    if (path != kRegError && files.FileExists(path)) return true;
  }
  return false;
}

std::string ProposedTargetFolder(FileSystem& files, const std::string& settingsFile, const std::string& dataFolder) {
  std::string folder =
      BackupFolderFromSetting(ReadSetting(files, settingsFile, "backup", "backupfolder"), dataFolder);
  if (!files.FolderExists(folder)) folder = dataFolder;
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

SourceChoice ChooseSourceProfile(const ItemSourceInputs& in, const std::string& profile, Locations& loc,
                                 SourceMode mode) {
  SourceChoice choice;
  choice.available.fill(true);
  ComputeLocations(in.reg, in.env, profile, loc);
  auto& can = choice.available;
  if (!in.reg.KeyExists(loc.AccountsKey)) can[kAccounts] = false;
  can[kSignatures] = FolderHasFiles(in.files, loc.SignaturesPath);
  can[kStationery] = FolderHasFiles(in.files, loc.StationeryPath);
  if (IsOffice12OrLater(in.env.OfficeVersion)) {
    can[kPab] = false;
    choice.pabUnsupported = true;
  } else {
    // An empty profile would name the profiles key itself; nothing to search there.
    can[kPab] = !profile.empty() && FindPersonalAddressBook(in.reg, in.files, ProfileKeyFor(in.env, profile));
  }
  can[kTemplates] = FolderHasFiles(in.files, loc.TemplatesPath);
  can[kPreferences] = FolderHasFiles(in.files, loc.PreferencesPath);
  can[kContacts] = FolderHasFiles(in.files, loc.ContactsPath);

  TargetProposal& proposal = choice.proposal;
  const std::string folder = ProposedTargetFolder(in.files, in.settingsFile, in.dataFolder);
  if (mode == SourceMode::MainWindow) {
    if (!ReadFlag(in.files, in.settingsFile, "backup", "automgeneratefile")) return choice;
    proposal.name = folder + "\\mvbox-" + profile + "-" + DateMMDDYYYY(in.clock.Now()) + ".tvo";
  } else {
    proposal.name = folder + "\\mvbox-" + profile + ".tvo";
  }
  proposal.apply = true;
  return choice;
}

}  // namespace tarvo
