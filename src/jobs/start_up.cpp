#include "jobs/start_up.h"

#include "jobs/restore_recovery.h"
#include "outlook/outlook_env.h"
#include "platform/text.h"

namespace tarvo {
namespace {

// An installed copy keeps its data in a folder of the user, whatever it may write where it
// is; a portable copy keeps it beside the executable unless that folder is read-only.
std::string ChooseDataFolder(FileSystem& files, SystemInfo& sys, const std::string& exeFolder) {
  if (!files.FileExists(JoinPath(exeFolder, kInstalledMarker))) {
    const std::string probe = files.CreateTempFile(exeFolder, "TVO");
    if (files.FileExists(probe)) {
      files.DeleteFile(probe);
      return exeFolder;
    }
  }
  const std::string local = sys.ExpandEnvironment("%LOCALAPPDATA%");
  if (local.empty() || local.find('%') != std::string::npos) return exeFolder;
  const std::string own = JoinPath(local, kAppTitle);
  return files.CreateFolder(own) ? own : exeFolder;
}

// A first start with a data folder of its own begins from the defaults shipped beside the
// executable.
void CopyShippedSettings(FileSystem& files, const AppState& st) {
  if (st.DataFolder == st.ExeFolder || files.FileExists(st.SettingsFile)) return;
  const auto shipped = files.ReadAll(JoinPath(st.ExeFolder, "settings.dat"));
  if (shipped) files.WriteAll(st.SettingsFile, *shipped);
}

}  // namespace

void PrepareFolders(App& app) {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  SystemInfo& sys = app.platform.system;
  st.ExeFolder = sys.ProgramFolder();
  st.DataFolder = ChooseDataFolder(files, sys, st.ExeFolder);
  app.zip.WorkFolder = st.DataFolder;
  st.InfoRecordPath = JoinPath(st.DataFolder, "mailvault.dat");
  st.LogFile = JoinPath(st.DataFolder, "brlog.dat");
  st.SettingsFile = JoinPath(st.DataFolder, "settings.dat");
  CopyShippedSettings(files, st);
  if (!files.FileExists(st.LogFile)) files.Append(st.LogFile, "");
  // A restore cut off last time is undone (or finished) before anything reads the profile.
  FinishInterruptedRestoreAtStart(app);
  st.ComputerName = TrimNameBuffer(sys.ComputerName());
  st.LogonUserName = TrimNameBuffer(sys.UserName());
}

void DiscoverOutlookEnvironment(App& app) {
  OutlookEnv& env = app.state.env;
  GetWinVersion(app.platform.system, env);
  GetOutlookVersion(app.platform.office, app.reg, env);  // the name is not needed here
  ChooseProfilesKey(env);
  GetProfileNames(app.reg, env);
}

bool UseProfiles(App& app) {
  OutlookEnv& env = app.state.env;
  if (env.NoProfile) return false;
  env.UserProfilePath = app.platform.system.ExpandEnvironment("%UserProfile%");
  return true;
}

}  // namespace tarvo
