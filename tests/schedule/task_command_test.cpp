#include <gtest/gtest.h>

#include "schedule/task_command.h"

namespace tarvo {
namespace {

TEST(TaskCommand, DayListKeepsWeekOrderWithSundayLast) {
  TaskDaysChoice days;
  days.monday = days.wednesday = days.sunday = true;
  EXPECT_EQ(TaskDayList(days), "Mon,Wed,Sun");
  days.sunday = false;
  EXPECT_EQ(TaskDayList(days), "Mon,Wed");
  EXPECT_EQ(TaskDayList(TaskDaysChoice{}), "*");
  TaskDaysChoice all{true, true, true, true, true, true, true};
  EXPECT_EQ(TaskDayList(all), "Mon,Tue,Wed,Thu,Fri,Sat,Sun");
}

TEST(TaskCommand, StartTimeIsTwoDigitHoursMinutesAndSeconds) {
  EXPECT_EQ(TaskStartTime("9:00"), "09:00:00");
  EXPECT_EQ(TaskStartTime("23:30"), "23:30:00");
  EXPECT_EQ(TaskStartTime("0:30"), "00:30:00");
}

TEST(TaskCommand, CommandLinesAreExact) {
  EXPECT_EQ(EndTaskCommand(), "schtasks /end  /tn \"Tarvo Outlook AutoBackup\"");
  EXPECT_EQ(DeleteTaskCommand(), "schtasks /delete /f  /tn \"Tarvo Outlook AutoBackup\"");
  TaskRequest r{"Mon,Wed", "09:00:00", "C:\\Apps", "Outlook", "110000000", "", "C:\\Backup\\mvbox-Outlook.tvo"};
  EXPECT_EQ(CreateTaskCommand(r),
            "schtasks /create /sc WEEKLY /d Mon,Wed /st 09:00:00 /tn \"Tarvo Outlook AutoBackup\" /tr "
            "\"\\\"C:\\Apps\\tarvobk.exe\\\" sf=Outlookxm=110000000ps=bf=C:\\Backup\\mvbox-Outlook.tvo\"");
}

TEST(TaskCommand, ProfileWithBlanksTravelsUnquotedAndDriveRootFolderKeepsOneSeparator) {
  TaskRequest r{"*", "23:30:00", "X:\\", "My Mail Box", "100000000", "pw", "D:\\b\\x.tvo"};
  EXPECT_EQ(CreateTaskCommand(r),
            "schtasks /create /sc WEEKLY /d * /st 23:30:00 /tn \"Tarvo Outlook AutoBackup\" /tr "
            "\"\\\"X:\\tarvobk.exe\\\" sf=My Mail Boxxm=100000000ps=pwbf=D:\\b\\x.tvo\"");
}

TEST(TaskCommand, QuotesAndEqualsSignsCannotTravel) {
  EXPECT_TRUE(FitsTaskCommandLine("My Mail Box"));
  EXPECT_TRUE(FitsTaskCommandLine(""));
  EXPECT_FALSE(FitsTaskCommandLine("a=b"));
  EXPECT_FALSE(FitsTaskCommandLine("say \"hi\""));
}

}  // namespace
}  // namespace tarvo
