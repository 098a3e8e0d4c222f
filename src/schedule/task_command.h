#pragma once
// The schtasks command lines of the weekly automatic-backup task.
#include <string>

namespace tarvo {

inline constexpr const char* kTaskName = "Tarvo Outlook AutoBackup";

struct TaskDaysChoice {
  bool monday = false, tuesday = false, wednesday = false, thursday = false, friday = false, saturday = false,
       sunday = false;
};

// "Mon,Wed,Sun"; "*" when no day is chosen.
std::string TaskDayList(const TaskDaysChoice& days);
// "9:00" -> "09:00:00".
std::string TaskStartTime(const std::string& entry);

std::string EndTaskCommand();
std::string DeleteTaskCommand();

struct TaskRequest {
  std::string days, startTime;  // already formatted
  std::string programFolder;
  std::string profile, itemMask, password, archivePath;
};
std::string CreateTaskCommand(const TaskRequest& request);

// The automatic backup splits its arguments at "=", and a double quote ends the task's
// command early: such values can never travel in the task.
bool FitsTaskCommandLine(const std::string& value);

}  // namespace tarvo
