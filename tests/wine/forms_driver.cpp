// Drives the preferences dialog and the scheduled-backup window through the main window's
// menu entries, over the real Win32 backends, with a console Ui that prints every message
// ("tvo: note: ...") to stderr instead of showing it.
//
//   forms_driver settings start|nostart
//   forms_driver task add --profile NAME --items MASK [--days Mon,Wed|daily] [--time 9:00]
//                         [--password PW] [--retype PW] [--file PATH]
//   forms_driver task disable
//   forms_driver launch COMMANDLINE   (starts it as the Task Scheduler would, waits, prints the exit code)
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "jobs/app.h"
#include "forms/frm_main.h"
#include "platform/host_file_system.h"
#include "platform/win32/win32_arguments.h"
#include "platform/win32/win32_office_probe.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "tvo/console_ui.h"
#include "forms/frm_option.h"
#include "forms/frm_settings.h"

namespace {

using namespace tarvo;

int Usage() {
  std::cerr << "usage: forms_driver settings start|nostart\n"
               "       forms_driver task add --profile NAME --items MASK [--days LIST|daily] [--time H:MM]\n"
               "                             [--password PW] [--retype PW] [--file PATH]\n"
               "       forms_driver task disable\n"
               "       forms_driver launch COMMANDLINE\n";
  return 2;
}

// --name value pairs after the first `skip` arguments; false on a stray argument.
bool Options(const std::vector<std::string>& args, std::size_t skip, std::map<std::string, std::string>& out) {
  for (std::size_t i = skip; i < args.size(); i += 2) {
    if (args[i].rfind("--", 0) != 0 || i + 1 >= args.size()) return false;
    out[args[i]] = args[i + 1];
  }
  return true;
}

void CheckDays(Frmoption& w, const std::string& list) {
  if (list == "daily") {
    w.chkDaily.value = 1;
    w.chkDaily_Click();
    return;
  }
  const std::map<std::string, CheckBox*> days = {{"Mon", &w.chkMonday},   {"Tue", &w.chkTuesday},
                                                 {"Wed", &w.chkWednesday}, {"Thu", &w.chkThursday},
                                                 {"Fri", &w.chkFriday},   {"Sat", &w.chkSaturday},
                                                 {"Sun", &w.chkSunday}};
  std::size_t start = 0;
  while (start <= list.size()) {
    const auto comma = list.find(',', start);
    const std::string day = list.substr(start, comma - start);
    if (days.count(day)) days.at(day)->value = 1;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

// Fills the scheduled-backup window as a user would and presses "Add Task to Scheduler".
void AddTask(Frmoption& w, ConsoleUi& ui, const std::map<std::string, std::string>& o) {
  const auto get = [&](const char* k, const std::string& fallback = {}) {
    const auto it = o.find(k);
    return it == o.end() ? fallback : it->second;
  };
  w.cbSource.text = get("--profile");
  w.cbSource_Click();
  std::cout << "proposed: " << w.txtTargetFile.text << "\n";
  const std::string mask = get("--items");
  // A user can only tick the boxes the chosen profile enables.
  for (std::size_t i = 0; i < w.backupitem.size() && i < mask.size(); ++i) {
    if (mask[i] != '1') continue;
    if (w.backupitem[i].enabled)
      w.backupitem[i].value = 1;
    else
      std::cout << "disabled: " << i << "\n";
  }
  CheckDays(w, get("--days"));
  if (o.count("--time")) w.cmbStartTime.text = get("--time");
  if (o.count("--password") || o.count("--retype")) {
    w.ifprotect.value = 1;
    w.ifprotect_Click();
    w.txtPassword.text = get("--password");
    w.txtPassword2.text = get("--retype", get("--password"));
  }
  if (o.count("--file")) {
    ui.saveFile = get("--file");
    w.cmdTargetFile_Click();
  }
  w.Command3_Click();
}

}  // namespace

int main() {
  const std::vector<std::string> args = Utf8Arguments();
  if (args.size() < 2) return Usage();
  if (args[0] == "launch" && args.size() == 2) {
    Win32Shell shell;
    std::cout << "exit code " << shell.RunAndWait(args[1], WindowMode::Hidden, 180000) << "\n";
    return 0;
  }

  HostFileSystem files;
  Win32Registry registry;
  Win32SystemInfo system;
  Win32Processes processes;
  Win32Shell shell;
  ConsoleUi ui(std::cerr);
  Win32OfficeProbe office;
  Platform platform{registry, files, system, processes, shell, ui, office};
  App app(platform);
  FrmMain main(app);
  main.Form_Load();

  std::map<std::string, std::string> options;
  if (args[0] == "settings" && (args[1] == "start" || args[1] == "nostart")) {
    ui.onModal = [&](Form& form) {
      auto& w = dynamic_cast<Frmsettings&>(form);
      w.Check1.value = args[1] == "start" ? 1 : 0;
      w.Command2_Click();
    };
    main.settings_Click();
  } else if (args[0] == "task" && args[1] == "add" && Options(args, 2, options)) {
    ui.onModal = [&](Form& form) { AddTask(dynamic_cast<Frmoption&>(form), ui, options); };
    main.TaskScheduler_Click();
  } else if (args[0] == "task" && args[1] == "disable" && args.size() == 2) {
    ui.onModal = [&](Form& form) { dynamic_cast<Frmoption&>(form).Command1_Click(); };
    main.TaskScheduler_Click();
  } else {
    return Usage();
  }
  return 0;
}
