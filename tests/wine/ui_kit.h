#pragma once
// The Win32 steps of the UI drivers (ui_kit.cpp): a failed check prints "FAIL: ..." on
// stderr, ends the program under test and exits with 1.
#include <windows.h>

#include <string>

namespace uikit {

constexpr DWORD kWaitMs = 60000;
extern PROCESS_INFORMATION g_program;  // the tarvobk.exe started by StartProgram
extern std::wstring g_shots;           // folder of the screenshots

std::wstring Wide(const char* text);
std::string Narrow(const std::wstring& text);
[[noreturn]] void Fail(const std::string& what);
void Check(bool ok, const std::string& what);
std::wstring Text(HWND window);
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
bool Contains(const std::wstring& text, const std::wstring& part);
HWND FindTop(const std::wstring& title);
HWND WaitTop(const std::wstring& title);
void WaitGone(HWND window, const std::string& what);
std::wstring StaticTexts(HWND dialog);
std::wstring AnswerMessage(int button);
void Press(HWND window, int id);
void Menu(HWND window, int id);
void Tick(HWND window, int id, bool on);
void Type(HWND window, int id, const std::wstring& text);
void ShowTab(HWND window, int id, int tab);
int SelectText(HWND window, int id, const std::wstring& wanted, int notify);
void Screenshot(HWND window, const wchar_t* name);
bool Enabled(HWND window, int id);
int LogLineCount(const std::wstring& path);
void CheckLayout(HWND window, const std::string& what);
void AnswerFileDialog(const wchar_t* title, const std::wstring& path);
std::wstring ProgramFolder(const std::wstring& exe);
HWND StartProgram(const std::wstring& exe);

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

}  // namespace uikit
