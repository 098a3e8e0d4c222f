#include "forms/frm_option.h"

#include "core/item_table.h"
#include "core/settings.h"
#include "forms/source_profile.h"
#include "schedule/task_command.h"

namespace tarvo {
namespace {

constexpr const char* kExplain =
    "Outlook Backup use Windows Task Scheduler to perform the Auto Backup. Click \"Add Task to Scheduler\" to "
    "Create the task, Clikc \"Disable Task\" to disable the task.";

void SetPasswordBoxes(TextBox& a, TextBox& b, bool enabled) {
  for (TextBox* box : {&a, &b}) {
    box->enabled = enabled;
    box->backColor = enabled ? BackColor::Window : BackColor::ScrollBar;
    box->text.clear();
  }
}

}  // namespace

Frmoption::Frmoption(App& app) : app_(app) {
  caption = "Task Scheduler";
  for (std::size_t i = 0; i < kBoxes.size(); ++i) backupitem[i].caption = kBoxes[i].caption;
  chkMonday.caption = "Monday";
  chkTuesday.caption = "Tuesday";
  chkWednesday.caption = "Wednesday";
  chkThursday.caption = "Thursday";
  chkFriday.caption = "Friday";
  chkSaturday.caption = "Saturday";
  chkSunday.caption = "Sunday";
  chkDaily.caption = "Run daily";
  ifprotect.caption = "Protect backup file with password";
  txtPassword.password = txtPassword2.password = true;
  SetPasswordBoxes(txtPassword, txtPassword2, false);
  Command3.caption = "Add Task to Scheduler";
  Command1.caption = "Disable Task";
  Command2.caption = "Cancel";
  lblExplain.caption = kExplain;
}

void Frmoption::Form_Load() {
  loaded = true;
  cbSource.Clear();
  const auto& list = app_.state.env.ProfileList;
  for (std::size_t i = 0; i + 1 < list.size(); ++i) cbSource.AddItem(list[i]);
  if (!cbSource.items.empty()) {
    cbSource.text = cbSource.items.front();
    cbSource.listIndex = 0;
  }
  cmbStartTime.Clear();
  for (int h = 0; h < 24; ++h) {
    cmbStartTime.AddItem(std::to_string(h) + ":00");
    cmbStartTime.AddItem(std::to_string(h) + ":30");
  }
  cmbStartTime.text = "9:00";
  cmbStartTime.listIndex = 18;
  // Showing the first profile counts as choosing it, so the boxes and the path are ready.
  if (!cbSource.items.empty()) cbSource_Click();
}

void Frmoption::cbSource_Click() {
  const auto proposal = SelectSourceProfile(app_, cbSource.text, backupitem, SourceMode::ScheduledTask);
  txtTargetFile.text = proposal.name;
  TaskFile = proposal.name;
}

void Frmoption::chkDaily_Click() {
  const int v = chkDaily.checked() ? 1 : 0;
  for (CheckBox* day : {&chkSunday, &chkMonday, &chkTuesday, &chkWednesday, &chkThursday, &chkFriday, &chkSaturday})
    day->value = v;
}

void Frmoption::ifprotect_Click() { SetPasswordBoxes(txtPassword, txtPassword2, ifprotect.checked()); }

void Frmoption::cmdTargetFile_Click() {
  auto& st = app_.state;
  FileDialogRequest request;
  request.title = "Save Outlook Data as";
  request.filter = kArchiveFilter;
  request.overwritePrompt = true;
  request.initialFolder = BackupFolderFromSetting(
      ReadSetting(app_.platform.files, st.SettingsFile, "backup", "backupfolder"), st.DataFolder);
  request.fileName = "mvbox-" + cbSource.text + "-" + DateMMDDYYYY(app_.platform.system.Now());
  const auto chosen = app_.platform.ui.SaveFileDialog(request);
  if (!chosen || chosen->empty()) return;
  txtTargetFile.text = *chosen;
  TaskFile = *chosen;
}

void Frmoption::Command3_Click() {
  TaskItemMask.clear();
  for (const auto& box : backupitem) TaskItemMask += box.checked() ? '1' : '0';
  if (TaskItemMask == "000000000") {
    Message("Please select at least one item.", MsgIcon::Warning);
    return;
  }
  if (TaskFile.empty()) {
    Message("Invalid backup file name.", MsgIcon::Warning);
    return;
  }
  if (ifprotect.checked() && txtPassword.text.empty() && txtPassword2.text.empty()) {
    Message("Please enter Password!", MsgIcon::Critical);
    return;
  }
  if (ifprotect.checked() && txtPassword.text != txtPassword2.text) {
    Message("Incorect Password!", MsgIcon::Critical);
    return;
  }
  TaskProfile = cbSource.text;
  if (!FitsTaskCommandLine(TaskProfile) || !FitsTaskCommandLine(txtPassword.text) ||
      !FitsTaskCommandLine(TaskFile)) {
    Message("The profile name, the password and the backup file name of a scheduled backup cannot contain "
            "a double quote (\") or an equals sign (=). Please choose other ones.",
            MsgIcon::Warning);
    return;
  }
  TaskDays = TaskDayList({chkMonday.checked(), chkTuesday.checked(), chkWednesday.checked(), chkThursday.checked(),
                          chkFriday.checked(), chkSaturday.checked(), chkSunday.checked()});

  TaskRequest request;
  request.days = TaskDays;
  request.startTime = TaskStartTime(cmbStartTime.text);
  request.programFolder = app_.state.ExeFolder;
  request.profile = TaskProfile;
  request.itemMask = TaskItemMask;
  request.password = txtPassword.text;
  request.archivePath = TaskFile;

  auto& shell = app_.platform.shell;
  // Ending or deleting a task that does not exist fails; only the creation counts.
  shell.RunAndWait(EndTaskCommand(), WindowMode::Hidden, kCommandTimeoutMs);
  shell.RunAndWait(DeleteTaskCommand(), WindowMode::Hidden, kCommandTimeoutMs);
  const int created = shell.RunAndWait(CreateTaskCommand(request), WindowMode::Hidden, kCommandTimeoutMs);
  if (created != 0) {
    Message(std::string("Task ") + kTaskName + " could not be scheduled. Please check the start time and try again.",
            MsgIcon::Critical);
    return;
  }
  Message(std::string("Task ") + kTaskName + " has been scheduled.", MsgIcon::Information);
  Close();
}

void Frmoption::Command1_Click() {
  auto& shell = app_.platform.shell;
  shell.RunAndWait(EndTaskCommand(), WindowMode::Hidden, kCommandTimeoutMs);
  shell.RunAndWait(DeleteTaskCommand(), WindowMode::Hidden, kCommandTimeoutMs);
  Message(std::string("Task ") + kTaskName + " has been Delete.", MsgIcon::Information);
}

void Frmoption::Command2_Click() { Close(); }

void Frmoption::Close() {
  loaded = false;
  visible = false;
}

int Frmoption::Message(const std::string& text, MsgIcon icon) {
  return app_.platform.ui.MessageBox(text, kAppTitle, MsgButtons::Ok, icon);
}

}  // namespace tarvo
