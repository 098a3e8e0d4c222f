#include "forms/frm_main.h"

#include <string>
#include <vector>

#include "core/item_table.h"
#include "core/last_run.h"
#include "forms/frm_disc_write.h"
#include "forms/source_profile.h"
#include "jobs/run_events.h"
#include "jobs/start_up.h"
#include "platform/codepage.h"

namespace tarvo {
namespace {


// The log as the list shows it: a line ends at CR or CR LF; a lone LF stays in the line.
std::vector<std::string> LogLines(FileSystem& files, const std::string& logFile) {
  std::vector<std::string> lines;
  const auto bytes = files.ReadAll(logFile);
  if (!bytes) return lines;
  const std::string text = AnsiToUtf8(*bytes);
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      line += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void SelectAll(std::array<CheckBox, 9>& boxes) {
  for (CheckBox& box : boxes) box.value = box.enabled ? 1 : 0;
}

void DeselectAll(std::array<CheckBox, 9>& boxes) {
  for (CheckBox& box : boxes) box.value = 0;
}

}  // namespace

FrmMain::FrmMain(App& a) : app(a) {
  app.showDiscWindow = [&app = a] { ShowDiscWindow(app); };
  caption = kMainCaption;
  SSTab1.captions = {"Backup", "Restore", "Logs", "About"};
  cmdApply.caption = "Backup Now";
  cmdQuit.caption = "Quit";
  ifprotect.caption = "Protect backup file with password";
  txtPassword.password = txtPassword2.password = true;
  // Protection starts unticked, so its boxes start as unticking leaves them.
  for (TextBox* box : {&txtPassword, &txtPassword2}) {
    box->enabled = false;
    box->backColor = BackColor::ScrollBar;
  }
  txtAttachInfo.multiLine = txtPOBinfo.multiLine = txtFileInfo.multiLine = true;
  for (std::size_t i = 0; i < kBoxes.size(); ++i) backupitem[i].caption = restoreitem[i].caption = kBoxes[i].caption;
  app.zip.SetEvents(this);
}

void FrmMain::Form_Load() {
  AppState& st = app.state;
  loaded = true;
  // The skin engine is not used: the window keeps the system look.
  picCon3.visible = false;
  pbshow.min = 0;
  pbshow.max = 100;
  pbshow.value = 0;
  PrepareFolders(app);
  st.NoArchiveLoaded = true;
  cmdApply.caption = SSTab1.tab == 0 ? "Backup Now" : "Restore Now";

  DiscoverOutlookEnvironment(app);
  if (!FillProfileLists(app, cbSource, cbTarget)) {
    // An unattended run has nobody to answer a message box; its archive shows what failed.
    if (st.CommandLine.empty())
      app.platform.ui.MessageBox(kNoOutlookMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
    cmdApply.enabled = false;
    return;
  }
  cbSource_Click();
  for (CheckBox& box : restoreitem) {
    box.value = 0;
    box.enabled = false;
  }
}

std::array<bool, 9> FrmMain::Ticked(const std::array<CheckBox, 9>& boxes) {
  std::array<bool, 9> ticked{};
  for (std::size_t i = 0; i < boxes.size(); ++i) ticked[i] = boxes[i].checked();
  return ticked;
}

void FrmMain::Form_Activate() {
  if (app.state.CommandLine.empty()) {
    ReportNoRecentBackupAtStart(app);
    ShowLastRunWarning(app.platform.files, app.platform.ui, JoinPath(app.state.DataFolder, kLastRunFile),
                       app.platform.system.Now());
    return;
  }
  visible = false;
  RunAutoBackup();
  filequit_Click();
}

void FrmMain::Form_Unload() { filequit_Click(); }

void FrmMain::filequit_Click() {
  // The other windows are unloaded by their owners; this window goes last and the Win32
  // layer ends the process when it sees the request.
  visible = false;
  loaded = false;
  quitRequested = true;
}

void FrmMain::cmdQuit_Click() { filequit_Click(); }

void FrmMain::SSTab1_Click() {
  switch (SSTab1.tab) {
    case 0:
      cmdApply.caption = "Backup Now";
      break;
    case 1:
      cmdApply.caption = "Restore Now";
      break;
    case 2:
      cmdApply.caption = "Show Log File";
      List1.items = LogLines(app.platform.files, app.state.LogFile);
      if (const auto run = ReadLastRun(app.platform.files, JoinPath(app.state.DataFolder, kLastRunFile)))
        List1.items.insert(List1.items.begin(), LastRunLogLine(*run));
      List1.listIndex = static_cast<int>(List1.items.size()) - 1;
      break;
    case 3:
      cmdApply.caption = "Help";
      SkinLabel10.caption = caption;
      break;
    default:
      break;
  }
}

void FrmMain::cmdApply_Click() {
  if (waitingForOutlook) {
    stopWaiting = true;
    return;
  }
  switch (SSTab1.tab) {
    case 0:
      RunBackup();
      break;
    case 1: {
      const int answer = app.platform.ui.MessageBox(
          "Your current Email and News messages will be replaced with the messages from the selected backup "
          "file.\r\n\r\nDo you want to countinue?",
          kAppTitle, MsgButtons::OkCancel, MsgIcon::Information);
      if (answer == kMsgOk) RunRestore();
      break;
    }
    case 2:
      app.platform.shell.Start(JoinPath(app.platform.system.WindowsFolder(), "notepad.exe") + " " + app.state.LogFile,
                               WindowMode::Normal);
      break;
    case 3:
      helpfile_Click();
      break;
    default:
      break;
  }
}

void FrmMain::helpfile_Click() {
  // The help file ships beside the executable, wherever the program keeps its data.
  app.platform.shell.Start(JoinPath(app.platform.system.WindowsFolder(), "hh.exe") + " " +
                               JoinPath(app.state.ExeFolder, "help.chm"),
                           WindowMode::Normal);
}

void FrmMain::backupnow_Click() { RunBackup(); }

void FrmMain::restorenow_Click() { RunRestore(); }

void FrmMain::ifprotect_Click() {
  const bool on = ifprotect.checked();
  for (TextBox* box : {&txtPassword, &txtPassword2}) {
    box->enabled = on;
    box->backColor = on ? BackColor::Window : BackColor::ScrollBar;
    box->text.clear();
  }
}

void FrmMain::Selectallitems_Click() { SelectAll(backupitem); }
void FrmMain::Deselectallitems_Click() { DeselectAll(backupitem); }
void FrmMain::Selectallitems2_Click() { SelectAll(restoreitem); }
void FrmMain::Deselectallitems2_Click() { DeselectAll(restoreitem); }

void FrmMain::AddingFile(const std::string& fileName) {
  SkinLabel9.caption = "Adding File " + fileName;
  app.platform.ui.PumpMessages();
  app.platform.system.Sleep(10);
}

void FrmMain::UnzippingFile(const std::string& fileName) {
  SkinLabel9.caption = "Unzip File " + fileName;
  app.platform.ui.PumpMessages();
  app.platform.system.Sleep(10);
}

void FrmMain::WriteProgress(int percent) {
  Label1.caption = "Write File " + std::to_string(percent) + "%";
  app.platform.ui.PumpMessages();
  app.platform.system.Sleep(5);
}

void FrmMain::WriteComplete() { ZipWriteDone = true; }

}  // namespace tarvo
