// The Win32 backends against the real system (Wine in the test run).
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>

#include "platform/form.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_ui.h"

namespace tarvo {
namespace {

std::string ThisExeName() {
  wchar_t buf[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  const std::string path = FromWide(std::wstring(buf, n));
  return path.substr(path.rfind('\\') + 1);
}

bool IsFile(const std::string& path) {
  const DWORD attrs = GetFileAttributesW(ToWide(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Text, ConvertsBeyondAsciiBothWays) {
  const std::string text = "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xA7";  // é, euro, an emoji (surrogate pair)
  const std::wstring wide = ToWide(text);
  EXPECT_EQ(wide, std::wstring(L"Caf\u00E9 \u20AC \xD83D\xDCE7"));
  EXPECT_EQ(FromWide(wide), text);
}

TEST(Win32SystemInfo, ReportsTheRunningSystem) {
  Win32SystemInfo system;
  EXPECT_FALSE(system.ComputerName().empty());
  EXPECT_FALSE(system.UserName().empty());
  EXPECT_GE(system.WindowsMajor(), 5);
  EXPECT_GE(system.WindowsMinor(), 0);
  const std::string windows = system.WindowsFolder();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_EQ(windows[1], ':');
  EXPECT_TRUE(IsFile(windows + "\\system32\\kernel32.dll")) << windows;

  const std::string program = system.ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_NE(program.back(), '\\');
  EXPECT_TRUE(IsFile(program + "\\" + ThisExeName())) << program;

  const LocalTime now = system.Now();
  EXPECT_GE(now.year, 2020);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
}

TEST(Win32SystemInfo, ExpandsEnvironmentText) {
  Win32SystemInfo system;
  wchar_t profile[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(system.ExpandEnvironment("%UserProfile%"), FromWide(std::wstring(profile, n)));
  EXPECT_EQ(system.ExpandEnvironment("%TarvoNoSuchName%\\x"), "%TarvoNoSuchName%\\x");

  ASSERT_TRUE(SetEnvironmentVariableW(L"TARVO_TEST_TEXT", L"Gr\u00F6\u00DFe"));
  EXPECT_EQ(system.ExpandEnvironment("%TARVO_TEST_TEXT%\\a"), "Gr\xC3\xB6\xC3\x9F" "e\\a");
  SetEnvironmentVariableW(L"TARVO_TEST_TEXT", nullptr);
}

TEST(Win32SystemInfo, GeneralDateShowsDateAndSeconds) {
  Win32SystemInfo system;
  const std::string text = system.GeneralDate(LocalTime{2024, 3, 7, 13, 5, 9});
  EXPECT_NE(text.find("2024"), std::string::npos) << text;
  EXPECT_NE(text.find("05"), std::string::npos) << text;
  EXPECT_NE(text.find("09"), std::string::npos) << text;
  EXPECT_NE(text.find(' '), std::string::npos) << text;
}

// Besides the snapshot and the forced end, what closing Outlook relies on: this user's
// processes are told apart, a process's own command line is read back to start it again,
// and a process without a window cannot be asked to close.
TEST(Win32Processes, SnapshotOwnershipCommandLineAndEnding) {
  Win32Processes processes;
  const auto list = processes.Snapshot();
  const std::uint32_t self = GetCurrentProcessId();
  bool found = false;
  for (const auto& p : list)
    if (p.pid == self) found = lstrcmpiW(ToWide(p.exeName).c_str(), ToWide(ThisExeName()).c_str()) == 0;
  EXPECT_TRUE(found) << "own process missing from " << list.size() << " entries";
  EXPECT_TRUE(processes.IsOwn(self));

  // A suspended child stands still until it is ended.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  wchar_t line[] = L"cmd.exe /c exit 0 tarvo-marker \"two words\"";
  ASSERT_TRUE(CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                             nullptr, &startup, &info));
  EXPECT_TRUE(processes.IsOwn(info.dwProcessId));
  EXPECT_TRUE(processes.Running(info.dwProcessId));
  EXPECT_NE(processes.CommandLine(info.dwProcessId).find("tarvo-marker \"two words\""), std::string::npos)
      << processes.CommandLine(info.dwProcessId);
  EXPECT_FALSE(processes.AskToClose(info.dwProcessId));
  EXPECT_TRUE(processes.Terminate(info.dwProcessId, 7));
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  EXPECT_EQ(code, 7u);
  EXPECT_FALSE(processes.Running(info.dwProcessId));
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);

  const std::uint32_t never = 0x7FFFFFF1u;  // odd: never a process id
  EXPECT_FALSE(processes.Terminate(never, 7));
  EXPECT_FALSE(processes.IsOwn(never));
  EXPECT_EQ(processes.CommandLine(never), "");
}

TEST(Win32Shell, RunsCommandLinesAndReportsExitCodes) {
  Win32Shell shell;
  EXPECT_EQ(shell.RunAndWait("cmd /c exit 3", WindowMode::Hidden, 30000), 3);
  EXPECT_EQ(shell.RunAndWait("cmd /c exit 0", WindowMode::Minimized, 30000), 0);
  EXPECT_EQ(shell.RunAndWait("tarvo_no_such_program.exe", WindowMode::Hidden, 30000), -1);
  EXPECT_EQ(shell.RunAndWait("", WindowMode::Hidden, 30000), -1);
  EXPECT_TRUE(shell.Start("cmd /c exit 0", WindowMode::Hidden));
  EXPECT_FALSE(shell.Start("tarvo_no_such_program.exe", WindowMode::Normal));
}

TEST(Win32Ui, FileDialogFilterAndDefaultExtension) {
  const wchar_t expected[] = L"Tarvo Outlook Backup File (*.tvo)\0*.tvo\0\0";
  EXPECT_EQ(DialogFilter("Tarvo Outlook Backup File (*.tvo)|*.tvo"), std::wstring(expected, std::size(expected) - 1));
  EXPECT_EQ(DefaultExtension("Tarvo Outlook Backup File (*.tvo)|*.tvo"), "tvo");
  EXPECT_EQ(DefaultExtension("Any File (*.*)|*.*"), "");
  EXPECT_EQ(DefaultExtension("Logs|*.dat;*.txt|All|*.*"), "dat");
  EXPECT_EQ(DefaultExtension(""), "");
}

struct NamedForm : Form {
  const char* Name() const override { return "frmPwd"; }
};

TEST(Win32Ui, ShowModalRunsTheWindowRegisteredForTheForm) {
  Win32Ui ui;
  NamedForm form;
  form.loaded = true;
  ui.ShowModal(form);  // no window for it yet
  EXPECT_FALSE(form.loaded);

  int shown = 0;
  ui.RegisterForm("frmPwd", [&](Form& f) {
    ++shown;
    f.caption = "shown";
  });
  ui.RegisterForm("Frmoption", [&](Form&) { shown += 100; });
  ui.ShowModal(form);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(form.caption, "shown");
}

}  // namespace
}  // namespace tarvo
#endif
