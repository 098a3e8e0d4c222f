// The Win32 steps of the UI drivers: finding windows of another process, reading their
// texts, clicking and typing as a user would, screenshots.
#include "ui_kit.h"

// after windows.h
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace uikit {

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

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
  SetCursorPos(0, 0);  // no hover tips in the picture
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

}  // namespace uikit
