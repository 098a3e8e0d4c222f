// What the settings ask for once a run is over.
#include "core/settings.h"
#include "backup/backup_steps.h"
#include "jobs/backup_job.h"

namespace tarvo {
namespace {

constexpr const char* kOutlookAppPathKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\OUTLOOK.EXE";

}  // namespace

void StartOutlookAfterwards(App& app) {
  const std::string folder = app.reg.GetStringValue(kOutlookAppPathKey, "Path");
  if (folder == kRegError || folder.empty()) return;
  app.platform.shell.Start("\"" + JoinPath(folder, "OUTLOOK.EXE") + "\"", WindowMode::Minimized);
}

void RunAfterBackupActions(App& app, const std::string& target, const OutlookClosing& closed) {
  AppState& st = app.state;
  FileSystem& files = app.platform.files;
  // The user's Outlook comes back first, as it was started, before any other window.
  bool restarted = false;
  Step([&] { restarted = StartClosedOutlookAgain(app.platform.shell, closed); });
  Step([&] {
    if (!ReadFlag(files, st.SettingsFile, "General", "burndvd")) return;
    st.BurnFileName = files.FileExists(target) ? files.StoredName(target).value_or(BareName(target)) : std::string();
    st.BurnFilePath = target;
    // The disc window takes both when it loads.
    if (app.showDiscWindow) app.showDiscWindow();
  });
  Step([&] {
    if (!restarted && ReadFlag(files, st.SettingsFile, "General", "runoutlookafterbackup")) StartOutlookAfterwards(app);
  });
  Step([&] {
    if (!ReadFlag(files, st.SettingsFile, "backup", "openfolderbackup")) return;
    const auto slash = target.rfind('\\');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    app.platform.shell.Start("explorer /n," + folder, WindowMode::Normal);
  });
}

}  // namespace tarvo
