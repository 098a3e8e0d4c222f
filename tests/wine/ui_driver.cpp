// Drives the real tarvobk.exe windows through Win32 messages, the way a user's clicks
// and keys reach them: backs up a profile with a password, opens that archive on the
// Restore tab through the password prompt, restores into a second profile, visits the
// Logs tab twice and opens every other window, saving a screenshot of each.
//
// ui_driver <tarvobk.exe> <screenshot folder> <archive path> <password> <source profile> <target profile>
// ui_driver --installed <tarvobk.exe> <archive path> <data folder>
// ui_driver --last-run <tarvobk.exe> warn|quiet <word of the Logs tab's first line>
// Exit code 0 when every check passed; "FAIL: ..." on stderr otherwise.
#include <windows.h>
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

namespace {

using namespace tarvo::ui_ids;

constexpr DWORD kWaitMs = 60000;
PROCESS_INFORMATION g_program{};
std::wstring g_shots;

std::wstring Wide(const char* text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

std::string Narrow(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "FAIL: %s\n", what.c_str());
  if (g_program.hProcess) TerminateProcess(g_program.hProcess, 3);
  std::exit(1);
}

void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
  std::printf("ok: %s\n", what.c_str());
}

// For state the program reaches while its handler is still running.
template <class Predicate>
void Eventually(Predicate ready, const std::string& what) {
  const DWORD until = GetTickCount() + kWaitMs;
  while (!ready()) {
    if (GetTickCount() > until) Fail(what);
    Sleep(100);
  }
  std::printf("ok: %s\n", what.c_str());
}

// Text of a window in the other process (WM_GETTEXT is marshalled; GetWindowText is not for controls).
std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(copied);
  return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kWaitMs, &result))
    Fail("no answer to message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

struct FindRequest {
  DWORD pid;
  std::wstring title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<FindRequest*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != request->pid || !IsWindowVisible(window)) return TRUE;
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (request->title == title) {
    request->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTop(const std::wstring& title) {
  FindRequest request{g_program.dwProcessId, title, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
  return request.found;
}

HWND WaitTop(const std::wstring& title) {
  const DWORD until = GetTickCount() + kWaitMs;
  while (GetTickCount() < until) {
    if (HWND window = FindTop(title)) {
      Sleep(300);  // let it paint
      return window;
    }
    if (WaitForSingleObject(g_program.hProcess, 0) == WAIT_OBJECT_0) Fail("tarvobk.exe ended while waiting for " + Narrow(title));
    Sleep(100);
  }
  Fail("no window \"" + Narrow(title) + "\"");
}

void WaitGone(HWND window, const std::string& what) {
  const DWORD until = GetTickCount() + kWaitMs;
  while (GetTickCount() < until) {
    if (!IsWindow(window) || !IsWindowVisible(window)) return;
    Sleep(100);
  }
  Fail(what + " did not close");
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"Static") == 0) {
    auto* texts = reinterpret_cast<std::wstring*>(param);
    *texts += Text(child) + L"\n";
  }
  return TRUE;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring texts;
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

// Waits for the application's message box, returns its text and presses the button.
std::wstring AnswerMessage(int button) {
  HWND box = WaitTop(L"Tarvo Outlook Backup");
  const std::wstring text = StaticTexts(box);
  std::printf("message: %s\n", Narrow(text).c_str());
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  WaitGone(box, "message box");
  return text;
}

// A user's click: the control's own BN_CLICKED, posted so a modal answer cannot block us.
void Press(HWND window, int id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

void Menu(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// BM_CLICK toggles an auto check box and notifies its parent, as a mouse click does.
void Tick(HWND window, int id, bool on) {
  HWND box = GetDlgItem(window, id);
  if ((Send(box, BM_GETCHECK) == BST_CHECKED) != on) Send(box, BM_CLICK);
  Check((Send(box, BM_GETCHECK) == BST_CHECKED) == on, "box " + std::to_string(id) + (on ? " ticked" : " cleared"));
}

void Type(HWND window, int id, const std::wstring& text) {
  Send(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// TCM_SETCURFOCUS selects the tab and sends TCN_SELCHANGE, as a click on the tab does.
void ShowTab(HWND window, int id, int tab) {
  Send(GetDlgItem(window, id), TCM_SETCURFOCUS, static_cast<WPARAM>(tab));
  Check(Send(GetDlgItem(window, id), TCM_GETCURSEL) == tab, "tab " + std::to_string(tab) + " shown");
}

int SelectText(HWND window, int id, const std::wstring& wanted, int notify) {
  HWND combo = GetDlgItem(window, id);
  const int count = static_cast<int>(Send(combo, CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    wchar_t item[256] = {};
    if (Send(combo, CB_GETLBTEXTLEN, i) >= 255) continue;
    Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    if (wanted == item) {
      Send(combo, CB_SETCURSEL, i);
      if (notify) Send(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      return i;
    }
  }
  Fail("no entry " + Narrow(wanted) + " in list " + std::to_string(id));
}

// The window as the screen shows it, saved as a 24-bit BMP (the script makes PNGs of them).
void Screenshot(HWND window, const wchar_t* name) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Sleep(400);
  RECT r{};
  GetWindowRect(window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (r.right > GetSystemMetrics(SM_CXSCREEN) || r.bottom > GetSystemMetrics(SM_CYSCREEN))
    Fail("window larger than the screen: run Xvfb with -screen 0 1600x1200x24");
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info.bmiHeader;
  file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(h);
  std::ofstream out(std::filesystem::path(g_shots + L"\\" + name + L".bmp"), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(h)));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  Check(out.good(), "screenshot " + Narrow(name));
}

bool Enabled(HWND window, int id) { return IsWindowEnabled(GetDlgItem(window, id)) != FALSE; }

// Lines of brlog.dat as the Logs tab shows them: a line ends at CR or CR LF.
int LogLineCount(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int lines = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      ++length;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    ++lines;
    length = 0;
  }
  return lines + (length > 0 ? 1 : 0);
}

BOOL CALLBACK CheckInside(HWND child, LPARAM param) {
  HWND window = reinterpret_cast<HWND>(param);
  if (GetParent(child) != window || !(GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE)) return TRUE;
  RECT client{}, r{};
  GetClientRect(window, &client);
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  // A drop-down list's rectangle includes its closed list.
  if (lstrcmpiW(cls, L"ComboBox") == 0) r.bottom = r.top + 1;
  if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
    Fail("control " + std::to_string(GetDlgCtrlID(child)) + " reaches outside its window");
  return TRUE;
}

// Every visible control lies inside the window's client area.
void CheckLayout(HWND window, const std::string& what) {
  EnumChildWindows(window, CheckInside, reinterpret_cast<LPARAM>(window));
  std::printf("ok: %s laid out inside its window\n", what.c_str());
}

// The file name box: edt1, or the edit inside cmb13 in the newer dialog layout.
BOOL CALLBACK FirstEdit(HWND child, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  if (lstrcmpiW(cls, L"Edit") != 0 || !IsWindowVisible(child)) return TRUE;
  const int id = GetDlgCtrlID(child), parent = GetDlgCtrlID(GetParent(child));
  const int grand = GetDlgCtrlID(GetParent(GetParent(child)));
  if (id == 1152 || parent == 1148 || grand == 1148) {
    *reinterpret_cast<HWND*>(param) = child;
    return FALSE;
  }
  return TRUE;
}

// The common file dialog: the path typed into its file name box, then its OK button.
void AnswerFileDialog(const wchar_t* title, const std::wstring& path) {
  HWND dialog = WaitTop(title);
  HWND name = nullptr;
  EnumChildWindows(dialog, FirstEdit, reinterpret_cast<LPARAM>(&name));
  Check(name != nullptr, "file name box of " + Narrow(title));
  Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  WaitGone(dialog, Narrow(title));
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

  Menu(main, kMenuBackupToCd);
  Check(Contains(AnswerMessage(IDOK), L"not available"), "disc writing explained");
}

std::wstring ProgramFolder(const std::wstring& exe) { return exe.substr(0, exe.find_last_of(L'\\')); }

// Starts tarvobk.exe in its own folder (into g_program) and waits for its main window.
HWND StartProgram(const std::wstring& exe) {
  const std::wstring folder = ProgramFolder(exe);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring command = L"\"" + exe + L"\"";
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                      &g_program))
    Fail("cannot start tarvobk.exe");
  WaitForInputIdle(g_program.hProcess, 10000);
  return WaitTop(L"Tarvo Outlook Backup V3.00");
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
  Menu(main, kMenuQuit);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "Quit ends the program");
  return 0;
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
  Menu(main, kMenuQuit);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "Quit ends the program");
  return 0;
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
  Menu(main, kMenuQuit);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "Quit ends the program");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--installed")
    return Installed(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]));
  if (argc == 5 && std::string(argv[1]) == "--last-run")
    return LastRun(Wide(argv[2]), std::string(argv[3]) == "warn", Wide(argv[4]));
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
