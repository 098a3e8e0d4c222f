// Drives the real tarvobk.exe windows through Win32 messages, the way a user's clicks
// and keys reach them: backs up a profile with a password, opens that archive on the
// Restore tab through the password prompt, restores into a second profile, visits the
// Logs tab twice and opens every other window, saving a screenshot of each.
//
// ui_driver <tarvobk.exe> <screenshot folder> <archive path> <password> <source profile> <target profile>
// ui_driver --installed <tarvobk.exe> <archive path> <data folder>
// ui_driver --last-run <tarvobk.exe> warn|quiet <word of the Logs tab's first line>
// ui_driver --disc <tarvobk.exe> <screenshot folder> <folder of the files to write>
// ui_driver --recorder <tarvobk.exe> <folder holding big.bin and small.txt>
// ui_driver --hostile <tarvobk.exe> <archive path> <password or ""> <target profile> <restore boxes, ",">
// Exit code 0 when every check passed; "FAIL: ..." on stderr otherwise.
#include "ui_kit.h"
// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ui/win32/control_ids.h"
#include "ui_disc.h"
#include "ui_hostile.h"

namespace {

using namespace tarvo::ui_ids;
using namespace uikit;

// Quits from the menu; the program must end. The driver's exit code.
int Quit(HWND main) {
  Menu(main, kMenuQuit);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "Quit ends the program");
  return 0;
}

void Backup(HWND main, const std::wstring& archive, const std::wstring& password, const std::wstring& profile) {
  CheckLayout(main, "main window");
  Screenshot(main, L"main_backup_tab");
  SelectText(main, kSource, profile, 1);
  Check(Enabled(main, kBackupItem0), "data files of the profile found");
  Check(Enabled(main, kBackupItem0 + 1), "accounts of the profile found");
  Menu(main, kMenuDeselectAll);
  Sleep(300);
  Check(Send(GetDlgItem(main, kBackupItem0), BM_GETCHECK) == BST_UNCHECKED, "pop-up Deselect all items");
  Tick(main, kBackupItem0, true);
  Tick(main, kBackupItem0 + 1, true);
  Press(main, kTargetBrowse);
  AnswerFileDialog(L"Save Outlook Data as", archive);
  Sleep(300);
  Check(Text(GetDlgItem(main, kTargetFile)) == archive, "chosen archive shown");
  Tick(main, kProtect, true);
  Check(Enabled(main, kPassword) && Enabled(main, kPassword2), "protection enables the password boxes");
  Type(main, kPassword, password);
  Type(main, kPassword2, password);
  Type(main, kAttachInfo, L"UI test backup");
  Screenshot(main, L"main_backup_filled");

  Press(main, kApply);
  // The run panel follows the run while it pumps messages; note what it showed.
  std::wstring seen;
  const DWORD until = GetTickCount() + kWaitMs;
  while (!FindTop(L"Tarvo Outlook Backup") && GetTickCount() < until) {
    HWND step = GetDlgItem(main, kStepLabel);
    if (IsWindowVisible(step)) {
      const std::wstring caption = Text(step);
      if (!caption.empty() && !Contains(seen, caption)) seen += caption + L" | ";
    }
    Sleep(20);
  }
  std::printf("run panel showed: %s\n", Narrow(seen).c_str());
  const std::wstring summary = AnswerMessage(IDOK);
  Check(Contains(summary, L"The Backup was Completed!"), "backup summary");
  Check(Contains(summary, L"Backup Personal Folders\tSucceeded!"), "personal folders backed up");
  Check(Contains(summary, L"Backup Accounts Settings\tSucceeded!"), "accounts backed up");
  Check(GetFileAttributesW(archive.c_str()) != INVALID_FILE_ATTRIBUTES, "archive written");
  // "burndvd" is on: the disc window follows with the new archive on the disc.
  HWND disc = uidisc::WaitOpen();
  uidisc::CheckHandedOver(disc, archive.substr(archive.find_last_of(L'\\') + 1));
  Screenshot(disc, L"disc_after_backup");
  uidisc::Close(disc);
  Check(!IsWindowVisible(GetDlgItem(main, kProgress)), "run panel hidden after the run");
}

void OpenArchive(HWND main, const std::wstring& archive, const std::wstring& password) {
  ShowTab(main, kTab, 1);
  Check(Text(GetDlgItem(main, kApply)) == L"Restore Now", "action button follows the tab");
  Check(!Enabled(main, kRestoreItem0), "restore items disabled before an archive is open");
  Press(main, kSourceBrowse);
  AnswerFileDialog(L"Restore Date from a backup file", archive);

  HWND prompt = WaitTop(L"Please enter password");
  Check(Contains(StaticTexts(prompt), L"Please enter password:"), "password prompt text");
  CheckLayout(prompt, "password prompt");
  Screenshot(prompt, L"password_prompt");
  HWND box = GetDlgItem(prompt, kPwdText);
  Check((GetWindowLongW(box, GWL_STYLE) & ES_PASSWORD) != 0, "password box masks its input");
  Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
  // Enter in the box confirms (KeyPress 13).
  PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
  PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
  WaitGone(prompt, "password prompt");
  // The items are enabled last, once the record has been read.
  Eventually([&] { return Enabled(main, kRestoreItem0) && Enabled(main, kRestoreItem0 + 1); },
             "items in the archive enabled");
  Check(FindTop(L"Tarvo Outlook Backup") == nullptr, "no error after the right password");
  Check(Text(GetDlgItem(main, kSourceFile)) == archive, "archive path shown");
  for (int i = 2; i < 9; ++i) Check(!Enabled(main, kRestoreItem0 + i), "item " + std::to_string(i) + " not in the archive");
  const std::wstring origin = Text(GetDlgItem(main, kOriginInfo));
  std::printf("origin: %s\n", Narrow(origin).c_str());
  Check(Contains(origin, L"Computer:") && Contains(origin, L"Profile:Outlook"), "origin text");
  Check(Contains(Text(GetDlgItem(main, kNoteInfo)), L"UI test backup"), "note text");
}

void Restore(HWND main, const std::wstring& target) {
  SelectText(main, kTarget, target, 1);
  Tick(main, kRestoreItem0, true);
  Tick(main, kRestoreItem0 + 1, true);
  Screenshot(main, L"main_restore_tab");
  Press(main, kApply);
  const std::wstring question = AnswerMessage(IDOK);
  Check(Contains(question, L"Do you want to countinue?"), "restore asks first");
  const std::wstring summary = AnswerMessage(IDOK);
  Check(Contains(summary, L"The Restore was Completed!"), "restore summary");
  Check(Contains(summary, L"Restore Personal Folders\tSucceeded!"), "personal folders restored");
  Check(Contains(summary, L"Restore Accounts Settings\tSucceeded!"), "accounts restored");
}

void Logs(HWND main, const std::wstring& logFile) {
  ShowTab(main, kTab, 2);
  ShowTab(main, kTab, 0);
  ShowTab(main, kTab, 2);
  const int shown = static_cast<int>(Send(GetDlgItem(main, kLogList), LB_GETCOUNT));
  const int lines = LogLineCount(logFile);
  std::printf("log list %d lines, brlog.dat %d lines\n", shown, lines);
  Check(lines > 0 && shown == lines, "Logs tab shows the log once after two visits");
  Check(Send(GetDlgItem(main, kLogList), LB_GETCURSEL) == shown - 1, "last log line selected");
  Check(Text(GetDlgItem(main, kApply)) == L"Show Log File", "action button on Logs");
  Screenshot(main, L"main_logs_tab");
  ShowTab(main, kTab, 3);
  Check(Text(GetDlgItem(main, kAboutLabel)) == L"Tarvo Outlook Backup V3.00", "About tab caption");
  Screenshot(main, L"main_about_tab");
  ShowTab(main, kTab, 0);
}

void OtherWindows(HWND main) {
  Menu(main, kMenuTaskScheduler);
  HWND scheduler = WaitTop(L"Task Scheduler");
  Check(Text(GetDlgItem(scheduler, kOptStartTime)) == L"9:00", "scheduler start time");
  Screenshot(scheduler, L"task_scheduler");
  Check(!IsWindowEnabled(main), "main window disabled under a modal window");
  Press(scheduler, kOptCancel);
  WaitGone(scheduler, "Task Scheduler");

  Menu(main, kMenuSettings);
  HWND settings = WaitTop(L"Settings");
  const wchar_t* names[] = {L"settings_general", L"settings_backup", L"settings_scheduled"};
  for (int tab = 0; tab < 3; ++tab) {
    ShowTab(settings, kSetTab, tab);
    Screenshot(settings, names[tab]);
  }
  Check(IsWindowVisible(GetDlgItem(settings, kSetOption1)), "options shown on their tab");
  PostMessageW(settings, WM_KEYDOWN, VK_ESCAPE, 1);  // Esc cancels
  WaitGone(settings, "Settings");

  Menu(main, kMenuAbout);
  HWND about = WaitTop(L"About Tarvo Outlook Backup");
  const std::wstring texts = StaticTexts(about);
  Check(Contains(texts, L"Tarvo Outlook Backup V3.00") && Contains(texts, L"settings.dat") &&
            Contains(texts, L"brlog.dat"),
        "about box: title, version and where the files are kept");
  Screenshot(about, L"about_box");
  Press(about, kAboutOk);
  WaitGone(about, "About");

  HWND disc = uidisc::OpenFromMenu(main);
  uidisc::CheckEmptyDisc(disc);
  Menu(disc, kDiscMenuErase);
  HWND erase = WaitTop(uidisc::kEraseTitle);
  CheckLayout(erase, "erase window");
  Screenshot(erase, L"erase_window");
  Press(erase, kErsCancel);
  WaitGone(erase, "erase window");
  uidisc::CloseWithEscape(disc);
}

// Screenshots only, for another DPI: every window that needs no archive.
int Screens(const std::wstring& exe, const std::wstring& suffix) {
  HWND main = StartProgram(exe);
  const wchar_t* tabs[] = {L"main_backup_tab", L"main_restore_tab", L"main_logs_tab", L"main_about_tab"};
  for (int tab = 0; tab < 4; ++tab) {
    ShowTab(main, kTab, tab);
    CheckLayout(main, Narrow(tabs[tab]));
    Screenshot(main, (tabs[tab] + suffix).c_str());
  }
  ShowTab(main, kTab, 0);
  Menu(main, kMenuTaskScheduler);
  HWND scheduler = WaitTop(L"Task Scheduler");
  CheckLayout(scheduler, "Task Scheduler");
  Screenshot(scheduler, (L"task_scheduler" + suffix).c_str());
  Press(scheduler, kOptCancel);
  WaitGone(scheduler, "Task Scheduler");
  Menu(main, kMenuSettings);
  HWND settings = WaitTop(L"Settings");
  const wchar_t* names[] = {L"settings_general", L"settings_backup", L"settings_scheduled"};
  for (int tab = 0; tab < 3; ++tab) {
    ShowTab(settings, kSetTab, tab);
    CheckLayout(settings, Narrow(names[tab]));
    Screenshot(settings, (names[tab] + suffix).c_str());
  }
  Press(settings, kSetCancel);
  WaitGone(settings, "Settings");
  Menu(main, kMenuAbout);
  HWND about = WaitTop(L"About Tarvo Outlook Backup");
  CheckLayout(about, "About");
  Screenshot(about, (L"about_box" + suffix).c_str());
  Press(about, kAboutOk);
  WaitGone(about, "About");
  uidisc::Screens(main, suffix);
  return Quit(main);
}

// A disc composed, written to the image-file drive and verified; source holds the files.
int Disc(const std::wstring& exe, const std::wstring& source) {
  HWND main = StartProgram(exe);
  HWND disc = uidisc::OpenFromMenu(main);
  uidisc::ComposeAndWrite(disc, source);
  Menu(disc, kDiscMenuExit);
  WaitGone(disc, "disc window after Exit");
  return Quit(main);
}

// Writes, a cancel and an erase on the stand-in recorder; source holds the files.
int Recorder(const std::wstring& exe, const std::wstring& source) {
  HWND main = StartProgram(exe);
  HWND disc = uidisc::OpenFromMenu(main);
  uidisc::RecorderRuns(disc, source);
  uidisc::Close(disc);
  return Quit(main);
}

// A backup of a big data file: the window answers and its captions and progress move.
int BigBackup(const std::wstring& exe, const std::wstring& archive) {
  HWND main = StartProgram(exe);
  SelectText(main, kSource, L"Outlook", 1);
  Menu(main, kMenuDeselectAll);
  Sleep(300);
  Tick(main, kBackupItem0, true);
  Press(main, kTargetBrowse);
  AnswerFileDialog(L"Save Outlook Data as", archive);
  Press(main, kApply);
  std::vector<std::wstring> captions;
  std::vector<LRESULT> positions;
  DWORD slowest = 0;
  const DWORD start = GetTickCount();
  while (!FindTop(L"Tarvo Outlook Backup")) {
    const DWORD asked = GetTickCount();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored))
      Fail("the main window did not answer within 5 s during the run");
    slowest = std::max(slowest, GetTickCount() - asked);
    const std::wstring caption = Text(GetDlgItem(main, kStepLabel));
    if (captions.empty() || captions.back() != caption) captions.push_back(caption);
    const LRESULT position = Send(GetDlgItem(main, kProgress), PBM_GETPOS);
    if (positions.empty() || positions.back() != position) positions.push_back(position);
    if (GetTickCount() - start > 30 * 60 * 1000) Fail("backup did not finish in 30 minutes");
    Sleep(100);
  }
  // While the archive is written the bar holds its place and the caption counts the
  // percent, so the caption shows the progress of the long part and the bar its step.
  std::size_t writePercents = 0;
  for (const auto& caption : captions) {
    if (caption.rfind(L"Write File ", 0) == 0 && caption != L"Write File 0%" && caption != L"Write File 100%")
      ++writePercents;
  }
  const LRESULT highest = positions.empty() ? 0 : *std::max_element(positions.begin(), positions.end());
  std::printf("run of %lu s: %zu captions (%zu write percents), progress positions up to %ld, slowest answer %lu ms\n",
              static_cast<unsigned long>((GetTickCount() - start) / 1000), captions.size(), writePercents,
              static_cast<long>(highest), static_cast<unsigned long>(slowest));
  Check(Contains(AnswerMessage(IDOK), L"Backup Personal Folders\tSucceeded!"), "big data file backed up");
  Check(captions.size() >= 5, "captions moved during the run");
  Check(writePercents >= 3, "the write percent moved while the archive was written");
  Check(highest > 0, "the progress bar advanced during the run");
  // "burndvd" is on: the big archive goes onto the disc too.
  HWND disc = uidisc::WaitOpen();
  uidisc::CheckHandedOver(disc, archive.substr(archive.find_last_of(L'\\') + 1));
  uidisc::Close(disc);
  return Quit(main);
}

// The installed program: its Task Scheduler window and its preferences hand Windows the
// executable's real path, and the About box names both folders.
int Installed(const std::wstring& exe, const std::wstring& archive, const std::wstring& dataFolder) {
  HWND main = StartProgram(exe);
  Menu(main, kMenuTaskScheduler);
  HWND scheduler = WaitTop(L"Task Scheduler");
  Tick(scheduler, kOptItem0, true);
  Tick(scheduler, kOptMonday, true);
  Type(scheduler, kOptTargetFile, archive);
  Press(scheduler, kOptAdd);
  Check(Contains(AnswerMessage(IDOK), L"has been scheduled."), "task scheduled");
  WaitGone(scheduler, "Task Scheduler");

  Menu(main, kMenuSettings);
  HWND settings = WaitTop(L"Settings");
  Tick(settings, kSetCheck1, true);
  Press(settings, kSetOk);
  WaitGone(settings, "Settings");

  Menu(main, kMenuAbout);
  HWND about = WaitTop(L"About Tarvo Outlook Backup");
  const std::wstring texts = StaticTexts(about);
  std::printf("about: %s\n", Narrow(texts).c_str());
  Check(Contains(texts, L"Program folder: " + ProgramFolder(exe)), "about box names the program folder");
  Check(Contains(texts, L"Data folder: " + dataFolder), "about box names the data folder");
  Press(about, kAboutOk);
  WaitGone(about, "About");
  return Quit(main);
}

// An interactive start after automatic runs: with warn, the warning about the last run
// comes first and is answered; without, none comes. The Logs tab then shows the last
// run's outcome, holding logWord, on its first line.
int LastRun(const std::wstring& exe, bool warn, const std::wstring& logWord) {
  HWND main = StartProgram(exe);
  if (warn) {
    const std::wstring text = AnswerMessage(IDOK);
    Check(Contains(text, L"The last automatic backup failed.") && Contains(text, L"Reason: ") &&
              Contains(text, L"To fix it:"),
          "the warning names the failure, its reason and the fix");
  } else {
    // The warning would come before the window takes its first input.
    bool shown = false;
    for (int i = 0; i < 15 && !shown; ++i, Sleep(100)) shown = FindTop(L"Tarvo Outlook Backup") != nullptr;
    Check(!shown, "no warning at this start");
  }
  ShowTab(main, kTab, 2);
  HWND list = GetDlgItem(main, kLogList);
  Check(Send(list, LB_GETCOUNT) > 0, "Logs tab has lines");
  std::wstring first(static_cast<std::size_t>(Send(list, LB_GETTEXTLEN, 0)) + 1, L'\0');
  Send(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first.data()));
  first.resize(first.find(L'\0'));
  std::printf("first log line: %s\n", Narrow(first).c_str());
  Check(first.rfind(L"Last automatic backup ", 0) == 0 && Contains(first, logWord),
        "Logs tab shows the last run first");
  return Quit(main);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--installed")
    return Installed(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]));
  if (argc == 5 && std::string(argv[1]) == "--last-run")
    return LastRun(Wide(argv[2]), std::string(argv[3]) == "warn", Wide(argv[4]));
  if (argc == 5 && std::string(argv[1]) == "--disc") {
    g_shots = Wide(argv[3]);
    return Disc(Wide(argv[2]), Wide(argv[4]));
  }
  if (argc == 4 && std::string(argv[1]) == "--recorder") return Recorder(Wide(argv[2]), Wide(argv[3]));
  if (argc == 7 && std::string(argv[1]) == "--hostile")
    return uihostile::Restore(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]), Wide(argv[5]), argv[6]);
  if (argc == 4 && std::string(argv[1]) == "--big") return BigBackup(Wide(argv[2]), Wide(argv[3]));
  if (argc == 5 && std::string(argv[1]) == "--screens") {
    g_shots = Wide(argv[3]);
    return Screens(Wide(argv[2]), Wide(argv[4]));
  }
  if (argc != 7) {
    std::fprintf(stderr, "usage: ui_driver tarvobk.exe shots archive password source target\n");
    return 2;
  }
  const std::wstring exe = Wide(argv[1]);
  g_shots = Wide(argv[2]);
  const std::wstring archive = Wide(argv[3]), password = Wide(argv[4]);
  const std::wstring source = Wide(argv[5]), target = Wide(argv[6]);
  const std::wstring folder = ProgramFolder(exe);
  HWND main = StartProgram(exe);
  wchar_t cls[64] = {};
  GetClassNameW(main, cls, 64);
  Check(std::wstring(cls) == L"TarvoOutlookBackupMain", "main window");
  Check(Text(GetDlgItem(main, kApply)) == L"Backup Now", "action button caption");

  Backup(main, archive, password, source);
  OpenArchive(main, archive, password);
  Restore(main, target);
  Logs(main, folder + L"\\brlog.dat");
  OtherWindows(main);

  // The close box runs the quit procedure and ends the process.
  PostMessageW(main, WM_CLOSE, 0, 0);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "closing the window ends the program");
  DWORD code = 1;
  GetExitCodeProcess(g_program.hProcess, &code);
  Check(code == 0, "exit code 0");
  std::printf("ui driver: all checks passed\n");
  return 0;
}
