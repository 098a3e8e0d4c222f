#include "schedule/task_command.h"

#include <cstdio>
#include <cstdlib>

#include "platform/file_system.h"

namespace tarvo {

std::string TaskDayList(const TaskDaysChoice& days) {
  std::string list;
  if (days.monday) list += "Mon,";
  if (days.tuesday) list += "Tue,";
  if (days.wednesday) list += "Wed,";
  if (days.thursday) list += "Thu,";
  if (days.friday) list += "Fri,";
  if (days.saturday) list += "Sat,";
  if (days.sunday) list += "Sun";
  if (!list.empty() && list.back() == ',') list.pop_back();
  return list.empty() ? "*" : list;
}

std::string TaskStartTime(const std::string& entry) {
  const auto colon = entry.find(':');
  const int hour = std::atoi(entry.substr(0, colon).c_str());
  const int minute = colon == std::string::npos ? 0 : std::atoi(entry.substr(colon + 1).c_str());
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:00", hour % 24, minute % 60);
  return buf;
}

std::string EndTaskCommand() {
  return std::string("schtasks /end ") + " /tn " + "\"" + kTaskName + "\"";
}

std::string DeleteTaskCommand() {
  return std::string("schtasks /delete /f ") + " /tn " + "\"" + kTaskName + "\"";
}

std::string CreateTaskCommand(const TaskRequest& r) {
  std::string cmd = "schtasks /create /sc WEEKLY /d ";
  cmd += r.days;
  cmd += " /st ";
  cmd += r.startTime;
  cmd += std::string(" /tn ") + "\"" + kTaskName + "\"";
  cmd += " /tr \"\\\"";
  cmd += JoinPath(r.programFolder, "tarvobk.exe") + "\\\"";
  cmd += " sf=" + r.profile + "xm=" + r.itemMask + "ps=" + r.password + "bf=" + r.archivePath;
  cmd += "\"";
  return cmd;
}

bool FitsTaskCommandLine(const std::string& value) {
  return value.find('"') == std::string::npos && value.find('=') == std::string::npos;
}

}  // namespace tarvo
