#include "ui_hostile.h"

#include "ui_kit.h"

#include <cstdio>
#include <sstream>

#include "ui/win32/control_ids.h"

namespace uihostile {
namespace {

using namespace tarvo::ui_ids;
using namespace uikit;

constexpr DWORD kSettleMs = 1500;

// True when the window's thread takes messages again (its handler has returned or waits in
// a modal loop).
bool Answers(HWND main) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored) != 0;
}

// Answers the prompt or message the opening brings up, until the opening has ended: the
// archive is shown, or a message was answered, and the window is idle.
void OpenAndSettle(HWND main, const std::wstring& archive, const std::wstring& password) {
  ShowTab(main, kTab, 1);
  Press(main, kSourceBrowse);
  AnswerFileDialog(L"Restore Date from a backup file", archive);
  const DWORD until = GetTickCount() + kWaitMs;
  bool answered = false;
  DWORD idleSince = 0;
  while (GetTickCount() < until) {
    if (HWND prompt = FindTop(L"Please enter password")) {
      HWND box = GetDlgItem(prompt, kPwdText);
      Send(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
      PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
      PostMessageW(box, WM_KEYUP, VK_RETURN, 0xC0000001);
      WaitGone(prompt, "password prompt");
      idleSince = 0;
    } else if (FindTop(L"Tarvo Outlook Backup")) {
      AnswerMessage(IDOK);
      answered = true;
      idleSince = 0;
    } else if ((answered || Text(GetDlgItem(main, kSourceFile)) == archive) && IsWindowEnabled(main) &&
               Answers(main)) {
      if (idleSince == 0) idleSince = GetTickCount();
      if (GetTickCount() - idleSince > kSettleMs) return;
    } else {
      idleSince = 0;
    }
    Sleep(100);
  }
  Fail("the opening of the archive did not settle");
}

}  // namespace

int Restore(const std::wstring& exe, const std::wstring& archive, const std::wstring& password,
            const std::wstring& target, const std::string& boxes) {
  HWND main = StartProgram(exe);
  OpenAndSettle(main, archive, password);
  std::istringstream list(boxes);
  for (std::string index; std::getline(list, index, ',');) {
    const int id = kRestoreItem0 + std::stoi(index);
    if (Enabled(main, id)) Tick(main, id, true);
  }
  SelectText(main, kTarget, target, 1);
  Press(main, kApply);
  // The confirmation, or the refusal when nothing could be ticked; the summary follows a
  // confirmed run.
  const std::wstring first = AnswerMessage(IDOK);
  if (Contains(first, L"Do you want to countinue?")) {
    const std::wstring summary = AnswerMessage(IDOK);
    std::printf("hostile ui: restore finished: %s\n", Narrow(summary).c_str());
  } else {
    std::printf("hostile ui: restore refused: %s\n", Narrow(first).c_str());
  }
  Menu(main, kMenuQuit);
  Check(WaitForSingleObject(g_program.hProcess, 20000) == WAIT_OBJECT_0, "Quit ends the program");
  return 0;
}

}  // namespace uihostile
