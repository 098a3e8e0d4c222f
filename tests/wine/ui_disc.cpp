#include "ui_disc.h"

// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "ui/win32/control_ids.h"
#include "ui_kit.h"
#include "ui_views.h"

namespace uidisc {
namespace {

using namespace tarvo::ui_ids;
using namespace uikit;

HWND Tree(HWND disc) { return GetDlgItem(disc, kDiscTree); }
HWND List(HWND disc) { return GetDlgItem(disc, kDiscList); }

void SelectStarting(HWND window, int id, const std::wstring& prefix) {
  HWND combo = GetDlgItem(window, id);
  const int count = static_cast<int>(Send(combo, CB_GETCOUNT));
  for (int i = 0; i < count; ++i) {
    wchar_t item[512] = {};
    if (Send(combo, CB_GETLBTEXTLEN, i) >= 511) continue;
    Send(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    if (std::wstring(item).rfind(prefix, 0) == 0) {
      Send(combo, CB_SETCURSEL, i);
      Send(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      std::printf("ok: drive %s chosen\n", Narrow(item).c_str());
      return;
    }
  }
  Fail("no entry starting " + Narrow(prefix) + " in list " + std::to_string(id));
}

std::wstring RootText(HWND disc) {
  const auto entries = TreeEntries(Tree(disc));
  return entries.empty() ? L"" : entries.front().text;
}

// Waits for the edit box of a label edit that a menu command started, types the new name.
HWND EditBox(HWND view, UINT getEdit, const std::wstring& text) {
  HWND edit = nullptr;
  Eventually([&] { return (edit = reinterpret_cast<HWND>(Send(view, getEdit))) != nullptr; }, "label edit started");
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return edit;
}

void RenameFolder(HWND disc, const std::wstring& path, const std::wstring& name) {
  Send(Tree(disc), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeItem(Tree(disc), path)));
  Menu(disc, kDiscMenuRenameFolder);
  EditBox(Tree(disc), TVM_GETEDITCONTROL, name);
  Send(Tree(disc), TVM_ENDEDITLABELNOW, FALSE);
  const std::wstring renamed = path.substr(0, path.rfind(L'\\') + 1) + name;
  Eventually([&] { return TreeHas(Tree(disc), renamed) && !TreeHas(Tree(disc), path); },
             "folder renamed to " + Narrow(renamed));
}

void RenameFile(HWND disc, const std::wstring& from, const std::wstring& to) {
  SelectRow(List(disc), RowOf(List(disc), from));
  Menu(disc, kDiscMenuRenameFile);
  HWND edit = EditBox(List(disc), LVM_GETEDITCONTROL, to);
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
  Eventually([&] { return RowOf(List(disc), to) >= 0 && RowOf(List(disc), from) < 0; },
             "file renamed to " + Narrow(to));
}

// The window answers within 2 s, over and over, until ready() holds.
template <class Predicate>
void AnswersWhile(HWND window, Predicate ready, const std::string& what) {
  DWORD slowest = 0;
  int answers = 0;
  const DWORD until = GetTickCount() + kWaitMs;
  while (!ready()) {
    const DWORD asked = GetTickCount();
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored))
      Fail("the window did not answer within 2 s while " + what);
    slowest = std::max(slowest, GetTickCount() - asked);
    ++answers;
    if (GetTickCount() > until) Fail(what + " did not end");
    Sleep(50);
  }
  std::printf("ok: the window answered %d times (slowest %lu ms) while %s\n", answers,
              static_cast<unsigned long>(slowest), what.c_str());
}

BOOL CALLBACK FindPopup(HWND window, LPARAM param) {
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != g_program.dwProcessId || !IsWindowVisible(window) || lstrcmpW(cls, L"#32768") != 0) return TRUE;
  *reinterpret_cast<HWND*>(param) = window;
  return FALSE;
}

// A right click on the view opens the pop-up menu; the keyboard picks its entry at
// `downs` steps down (separators are skipped) and Enter chooses it.
void PopupChoose(HWND view, int downs) {
  PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 30));
  PostMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(20, 30));
  HWND popup = nullptr;
  Eventually([&] {
    popup = nullptr;
    EnumWindows(FindPopup, reinterpret_cast<LPARAM>(&popup));
    return popup != nullptr;
  }, "a right click opens the pop-up menu");
  for (int i = 0; i < downs; ++i) PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
  WaitGone(popup, "pop-up menu");
}

// Keys as the keyboard sends them, to the window in front.
void PressCtrl(HWND window, WORD key) {
  SetForegroundWindow(window);
  Sleep(200);
  INPUT keys[4] = {};
  const WORD order[4] = {VK_CONTROL, key, key, VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = order[i];
    keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  Check(SendInput(4, keys, sizeof(INPUT)) == 4, "keys sent");
}

void AddFiles(HWND disc, const std::wstring& source) {
  PressCtrl(disc, 'A');  // the shortcut of Add File
  AnswerFileDialog(L"Add File to Write to the CD/DVD...", source + L"\\notes.txt");
  Eventually([&] { return RowOf(List(disc), L"notes.txt") >= 0; }, "Add File lists the file at the top");
  const int row = RowOf(List(disc), L"notes.txt");
  const std::wstring size = ListColumn(List(disc), 1)[static_cast<std::size_t>(row)];
  std::printf("size column: %s, date column: %s\n", Narrow(size).c_str(),
              Narrow(ListColumn(List(disc), 2)[static_cast<std::size_t>(row)]).c_str());
  Check(size == L"1,234.57 KB", "a file of 1,234,567 bytes lists as 1,234.57 KB");
  DropFiles(List(disc), {source + L"\\extra.txt"});
  Eventually([&] { return RowOf(List(disc), L"extra.txt") >= 0; }, "a file dropped on the list joins the disc");
}

}  // namespace

HWND WaitOpen() {
  const DWORD until = GetTickCount() + kWaitMs;
  while (GetTickCount() < until) {
    if (HWND disc = FindTop(kDiscTitle)) {
      Sleep(300);
      return disc;
    }
    if (FindTop(L"Tarvo Outlook Backup"))
      std::printf("notice before the disc window: %s\n", Narrow(AnswerMessage(IDOK)).c_str());
    Sleep(100);
  }
  Fail("the disc window did not open");
}

HWND OpenFromMenu(HWND main) {
  Menu(main, kMenuBackupToCd);
  HWND disc = WaitOpen();
  Check(!IsWindowEnabled(main), "disc window opens modally from the Tools menu");
  return disc;
}

void CheckEmptyDisc(HWND disc) {
  CheckLayout(disc, "disc window");
  Check(Text(GetDlgItem(disc, kDiscVolumeId)) == L"Outlook Data Backup CD", "label of a disc opened from the menu");
  Check(RootText(disc) == L"Outlook Data Backup CD", "the root shows the label");
  Check(TreeEntries(Tree(disc)).size() == 1 && Send(List(disc), LVM_GETITEMCOUNT) == 0, "the disc starts empty");
  Check(Text(GetDlgItem(disc, kDiscVolumeType)) == L"ISO9660/Joliet/UDF Bridge", "volume type chosen at load");
}

void CheckHandedOver(HWND disc, const std::wstring& archiveName) {
  Eventually([&] { return RowOf(List(disc), archiveName) >= 0; }, "the new backup is on the disc");
}

void Close(HWND disc) {
  PostMessageW(disc, WM_CLOSE, 0, 0);
  WaitGone(disc, "disc window");
}

void CloseWithEscape(HWND disc) {
  PostMessageW(GetDlgItem(disc, kDiscVolumeId), WM_KEYDOWN, VK_ESCAPE, 1);
  WaitGone(disc, "disc window after Esc");
}

void ComposeAndWrite(HWND disc, const std::wstring& source) {
  Type(disc, kDiscVolumeId, L"UI Disc");
  Eventually([&] { return RootText(disc) == L"UI Disc"; }, "the typed label shows on the root");
  SelectStarting(disc, kDiscDevices, L"ISO image file");
  DropFiles(Tree(disc), {source + L"\\Mail Tree"});
  Eventually([&] { return TreeHas(Tree(disc), L"Mail Tree\\Sub One\\Deep"); }, "a dropped folder tree in the tree");
  DropFiles(Tree(disc), {source + L"\\Many Files"});
  // The count of files shows when the whole drop has been added.
  AnswersWhile(disc, [&] { return StatusText(GetDlgItem(disc, kDiscStatus), 1) == L"Files: 2404"; },
               "a large folder was added");
  Check(TreeHas(Tree(disc), L"Many Files\\Part 29"), "the large folder's subfolders in the tree");
  AddFiles(disc, source);
  RenameFile(disc, L"notes.txt", L"notes renamed.txt");
  // The list's pop-up: Add File, a separator, Clear All Items, Remove File, Rename File.
  SelectRow(List(disc), RowOf(List(disc), L"extra.txt"));
  PopupChoose(List(disc), 3);
  Eventually([&] { return RowOf(List(disc), L"extra.txt") < 0; }, "the pop-up's Remove File takes the file off");

  RenameFolder(disc, L"Mail Tree\\Sub One", L"Sub Renamed");
  Send(Tree(disc), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeItem(Tree(disc), L"")));
  Menu(disc, kDiscMenuRenameFolder);
  Check(Contains(AnswerMessage(IDOK), L"Root directory can not be renamed."), "the root is not renamed");
  Send(Tree(disc), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(TreeItem(Tree(disc), L"Mail Tree\\Sub Two")));
  Menu(disc, kDiscMenuRemoveFolder);
  Eventually([&] { return !TreeHas(Tree(disc), L"Mail Tree\\Sub Two"); }, "Remove Folder takes the folder off");

  SelectText(disc, kDiscVolumeType, L"ISO9660/Joliet/UDF Bridge", 1);
  Tick(disc, kDiscOption0 + 5, true);  // Auto-Verify Data
  Screenshot(disc, L"disc_window");
  Press(disc, kDiscWrite);
  const std::wstring done = AnswerMessage(IDOK);
  Check(Contains(done, L"Write and Verify Complete!"), "written and verified");
  Check(Send(GetDlgItem(disc, kDiscProgress), PBM_GETPOS) == 100, "the bar ends full");
  Check(Enabled(disc, kDiscWrite) && !Enabled(disc, kDiscCancel), "idle again after the write");
}

void RecorderRuns(HWND disc, const std::wstring& source) {
  const std::wstring drive = Text(GetDlgItem(disc, kDiscDevices));
  std::printf("first drive: %s\n", Narrow(drive).c_str());
  Check(!drive.empty() && drive.rfind(L"ISO image file", 0) != 0, "the recorder comes first and is chosen");
  DropFiles(List(disc), {source + L"\\big.bin", source + L"\\small.txt"});
  Eventually([&] { return RowOf(List(disc), L"big.bin") >= 0 && RowOf(List(disc), L"small.txt") >= 0; },
             "both files on the disc");

  Press(disc, kDiscWrite);
  Eventually([&] { return Enabled(disc, kDiscCancel) && !Enabled(disc, kDiscWrite); }, "the write runs");
  AnswersWhile(disc, [&] { return Send(GetDlgItem(disc, kDiscProgress), PBM_GETPOS) > 0; }, "the write started");
  PostMessageW(disc, WM_CLOSE, 0, 0);
  Sleep(500);
  Check(IsWindowVisible(disc) && Enabled(disc, kDiscCancel), "the window stays while it writes");
  Press(disc, kDiscCancel);
  Check(Contains(AnswerMessage(IDOK), L"Write Cancelled!"), "Cancel stops the write");
  Check(Enabled(disc, kDiscWrite), "idle again after the cancel");

  SelectRow(List(disc), RowOf(List(disc), L"big.bin"));
  Menu(disc, kDiscMenuRemoveFile);
  Eventually([&] { return RowOf(List(disc), L"big.bin") < 0; }, "the big file is off the disc");
  Press(disc, kDiscWrite);
  Check(Contains(AnswerMessage(IDOK), L"Write Complete!"), "the recorder wrote the disc");

  Menu(disc, kDiscMenuErase);
  HWND erase = WaitTop(kEraseTitle);
  Check(Send(GetDlgItem(erase, kErsQuick), BM_GETCHECK) == BST_CHECKED, "quick erase ticked at first");
  Press(erase, kErsStart);
  Check(Contains(AnswerMessage(IDOK), L"Erase Completed!!!"), "the quick erase completed");
  WaitGone(erase, "erase window after the erase");
}

void Screens(HWND main, const std::wstring& suffix) {
  HWND disc = OpenFromMenu(main);
  CheckLayout(disc, "disc window");
  Screenshot(disc, (L"disc_window" + suffix).c_str());
  Menu(disc, kDiscMenuErase);
  HWND erase = WaitTop(kEraseTitle);
  CheckLayout(erase, "erase window");
  Screenshot(erase, (L"erase_window" + suffix).c_str());
  Press(erase, kErsCancel);
  WaitGone(erase, "erase window");
  Close(disc);
}

}  // namespace uidisc
