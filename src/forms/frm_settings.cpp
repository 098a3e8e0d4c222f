#include "forms/frm_settings.h"
#include "platform/text.h"

#include "core/settings.h"
#include "platform/file_system.h"

namespace tarvo {
namespace {

struct FlagBox {
  CheckBox Frmsettings::*box;
  const char* section;
  const char* key;
};

// Load and save order of the check boxes.
constexpr FlagBox kFlags[] = {
    {&Frmsettings::Check1, "General", "startonwindows"},
    {&Frmsettings::Check3, "General", "checkbackupfile"},
    {&Frmsettings::Check6, "General", "runoutlookafterbackup"},
    {&Frmsettings::Check7, "General", "runoutlookafterrestore"},
    {&Frmsettings::Check2, "General", "burndvd"},
    {&Frmsettings::Check4, "backup", "autocloseoutlook"},
    {&Frmsettings::Check5, "backup", "openfolderbackup"},
    {&Frmsettings::Check8, "backup", "automgeneratefile"},
};


}  // namespace

Frmsettings::Frmsettings(App& app) : app_(app) {
  caption = "Settings";
  SSTab1.captions = {"General", "Backup", " Scheduled Backup"};
  Check1.caption = "Start software on Windws Windows start up";
  Check3.caption = "Check backup file after backup procedure";
  Check6.caption = "Run Microsoft Outlook after backup finish";
  Check7.caption = "Run Microsoft Outlook after restore finish";
  Check2.caption = "Brun Backup file to CD/DVD after backup finish";
  Check4.caption = "If Outlook locks a file then automatically close Outlook";
  Check5.caption = "Open folder after backup finishe";
  Check8.caption = "Automatically generate backup file name";
  Option1.caption = "Replace to default AutoBackup file";
  Option2.caption = "Auto Backup to a new file";
  chkCloseOutlookAuto.caption = "Close Outlook for the automatic backup and start it again afterwards";
  lblKeepDated.caption = "Keep only the newest N dated backups (0 keeps all)";
  Command2.caption = "OK";
  Command3.caption = "Cancel";
}

void Frmsettings::Form_Load() {
  loaded = true;
  auto& files = app_.platform.files;
  const auto& st = app_.state;
  Text1.text = BackupFolderFromSetting(ReadSetting(files, st.SettingsFile, "backup", "backupfolder"), st.DataFolder);
  for (const auto& flag : kFlags)
    (this->*flag.box).value = FlagOn(ReadSetting(files, st.SettingsFile, flag.section, flag.key)) ? 1 : 0;
  const auto autoFile = ReadsAsNumber(ReadSetting(files, st.SettingsFile, "autobackup", "autobackupfile"));
  Option2.value = autoFile.has_value() && *autoFile != 0;
  Option1.value = !Option2.value;
  chkCloseOutlookAuto.value = CloseOutlookForAutoBackup(files, st.SettingsFile) ? 1 : 0;
  txtKeepDated.text =
      std::to_string(KeepDatedFromSetting(ReadSetting(files, st.SettingsFile, "autobackup", kKeepDatedKey)));
}

void Frmsettings::Command1_Click() { Text1.text = app_.platform.ui.BrowseForFolder(kAppTitle, 2); }

void Frmsettings::Command2_Click() {
  auto& files = app_.platform.files;
  const auto& st = app_.state;
  if (TrimSpaces(Text1.text).empty()) {
    app_.platform.ui.MessageBox("Please enter backup folder.", kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    return;
  }
  if (!files.FolderExists(TrimSpaces(Text1.text))) Text1.text = st.DataFolder;
  WriteSetting(files, st.SettingsFile, "Backup", "backupfolder", TrimSpaces(Text1.text));
  for (const auto& flag : kFlags)
    WriteSetting(files, st.SettingsFile, flag.section, flag.key, std::to_string((this->*flag.box).value));
  WriteSetting(files, st.SettingsFile, "autobackup", "autobackupfile", Option1.value ? "0" : "1");
  WriteSetting(files, st.SettingsFile, "autobackup", kCloseOutlookKey, chkCloseOutlookAuto.checked() ? "1" : "0");
  // Text that is no whole number keeps every backup: the safe side.
  WriteSetting(files, st.SettingsFile, "autobackup", kKeepDatedKey,
               std::to_string(KeepDatedFromSetting(TrimSpaces(txtKeepDated.text))));
  SaveStartWithWindows(Check1.checked());
  Close();
}

void Frmsettings::Command3_Click() { Close(); }

void Frmsettings::SaveStartWithWindows(bool on) {
  auto& registry = app_.platform.registry;
  RegKey key = 0;
  if (on) {
    if (registry.CreateKey(regroot::CurrentUser, kRunKey, &key) != kErrorSuccess) return;
    const std::string data = "\"" + JoinPath(app_.state.ExeFolder, "tarvobk.exe") + "\"";
    registry.SetValue(key, kAppTitle, kRegSz, reinterpret_cast<const std::uint8_t*>(data.c_str()),
                      static_cast<std::uint32_t>(data.size() + 1));
  } else {
    if (registry.OpenKey(regroot::CurrentUser, kRunKey, kKeyWrite, &key) != kErrorSuccess) return;
    registry.DeleteValue(key, kAppTitle);
  }
  registry.CloseKey(key);
}

void Frmsettings::Close() {
  loaded = false;
  visible = false;
}

}  // namespace tarvo
