// frmMain as a real window: tabs, both item lists, the run panel, menus and pop-up menus.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include "core/item_table.h"
#include "forms/frm_main.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/form_window.h"
#include "ui/win32/main_window.h"

namespace tarvo {
namespace {

using namespace ui_ids;

constexpr int kNoId = -1;

HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, kMenuBackupNow, L"&Backup Now\tCtrl+B");
  AppendMenuW(file, MF_STRING, kMenuRestoreNow, L"&Restore Now\tCtrl+R");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, kMenuQuit, L"&Quit\tCtrl+Q");
  HMENU option = CreatePopupMenu();
  AppendMenuW(option, MF_STRING, kMenuTaskScheduler, L"&Task Scheduler");
  AppendMenuW(option, MF_STRING, kMenuSettings, L"&Settings");
  HMENU tools = CreatePopupMenu();
  AppendMenuW(tools, MF_STRING, kMenuBackupToCd, L"&Backup Data to CD/DVD");
  HMENU help = CreatePopupMenu();
  AppendMenuW(help, MF_STRING, kMenuHelp, L"&Help\tF1");
  AppendMenuW(help, MF_STRING, kMenuAbout, L"&About");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File(&F)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(option), L"Option(&O)");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), L"Tools");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"Help(&H)");
  return bar;
}

HACCEL BuildAccelerators() {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'B', kMenuBackupNow},
      {FVIRTKEY | FCONTROL, 'R', kMenuRestoreNow},
      {FVIRTKEY | FCONTROL, 'Q', kMenuQuit},
      {FVIRTKEY, VK_F1, kMenuHelp},
  };
  return CreateAcceleratorTableW(keys, static_cast<int>(sizeof keys / sizeof keys[0]));
}

// selectitem / selectitem2: opened at the mouse position, answered through WM_COMMAND.
void PopupItemsMenu(HWND window, POINT at, int selectAll, int deselectAll) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(selectAll), L"Select all items");
  AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(deselectAll), L"Deselect all items");
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
  DestroyMenu(menu);
}

// Nine item boxes in a frame: the long first caption on its own row, then two columns.
void AddItemBoxes(FormWindow& w, std::array<CheckBox, 9>& boxes, int firstId, int top, const TabStrip* strip,
                  int page) {
  for (int i = 0; i < 9; ++i) {
    const int row = i == 0 ? 0 : (i + 1) / 2;
    const int column = i == 0 ? 0 : (i + 1) % 2;
    const DluRect r{20 + column * 184, top + row * 11, i == 0 ? 360 : 178, 10};
    const auto box = static_cast<std::size_t>(i);
    w.AddCheck(boxes[box], firstId + i, r, nullptr, {strip, page, nullptr, kBoxes[box].mnemonic});
  }
}

// The browse buttons have no state object of their own in the form.
struct BrowseButtons {
  Button target, source;
};

void BuildBackupPage(FormWindow& w, FrmMain& f, Button& browse) {
  const FormWindow::Place page{&f.SSTab1, 0, nullptr, 0};
  auto with = [&](char m) { return FormWindow::Place{&f.SSTab1, 0, nullptr, m}; };
  w.AddStatic("Source p&rofile:", kNoId, {12, 28, 62, 8}, page);
  w.AddCombo(f.cbSource, kSource, {76, 26, 160, 120}, [&f] { f.cbSource_Click(); }, page);
  w.AddFrame("Items to backup", kBackupFrame, {12, 42, 376, 68}, page);
  AddItemBoxes(w, f.backupitem, kBackupItem0, 54, &f.SSTab1, 0);
  w.AddStatic("Backup &file:", kNoId, {12, 118, 62, 8}, page);
  w.AddText(f.txtTargetFile, kTargetFile, {76, 116, 258, 12}, page);
  browse.caption = "&Browse...";
  w.AddButton(browse, kTargetBrowse, {338, 115, 50, 14}, [&f] { f.cmdTargetFile_Click(); }, page);
  w.AddCheck(f.ifprotect, kProtect, {12, 134, 200, 10}, [&f] { f.ifprotect_Click(); }, with('w'));
  w.AddStatic("Pass&word:", kNoId, {24, 150, 50, 8}, page);
  w.AddText(f.txtPassword, kPassword, {76, 148, 110, 12}, page);
  w.AddStatic("R&etype Password:", kNoId, {196, 150, 70, 8}, page);
  w.AddText(f.txtPassword2, kPassword2, {268, 148, 120, 12}, page);
  w.AddStatic("&Note:", kNoId, {12, 166, 60, 8}, page);
  w.AddText(f.txtAttachInfo, kAttachInfo, {12, 176, 376, 38}, page);
}

void BuildRestorePage(FormWindow& w, FrmMain& f, Button& open) {
  const FormWindow::Place page{&f.SSTab1, 1, nullptr, 0};
  w.AddStatic("Backup file:", kNoId, {12, 28, 62, 8}, page);
  w.AddText(f.txtSourceFile, kSourceFile, {76, 26, 258, 12}, page, true);
  open.caption = "&Open...";
  w.AddButton(open, kSourceBrowse, {338, 25, 50, 14}, [&f] { f.cmdSourceFile_Click(); }, page);
  w.AddStatic("Backup information:", kNoId, {12, 44, 180, 8}, page);
  w.AddText(f.txtPOBinfo, kOriginInfo, {12, 54, 184, 52}, page, true);
  w.AddStatic("Note:", kNoId, {204, 44, 180, 8}, page);
  w.AddText(f.txtFileInfo, kNoteInfo, {204, 54, 184, 52}, page, true);
  w.AddStatic("Restore to p&rofile:", kNoId, {12, 116, 70, 8}, page);
  w.AddCombo(f.cbTarget, kTarget, {84, 114, 152, 120}, nullptr, page);
  w.AddFrame("Items to restore", kRestoreFrame, {12, 132, 376, 68}, page);
  AddItemBoxes(w, f.restoreitem, kRestoreItem0, 144, &f.SSTab1, 1);
}

void BuildOtherPages(FormWindow& w, FrmMain& f) {
  w.AddList(f.List1, kLogList, {12, 26, 376, 190}, {&f.SSTab1, 2, nullptr, 0});
  const FormWindow::Place about{&f.SSTab1, 3, nullptr, 0};
  w.AddLabel(f.SkinLabel10, kAboutLabel, {12, 60, 376, 10}, about, SS_CENTER);
  w.AddStatic("Backs up and restores Microsoft Outlook data: personal folders, accounts, signatures, "
              "stationery, address book, options, templates, preferences and the contacts folder.",
              kNoId, {40, 80, 320, 26}, about, SS_CENTER);
  w.AddStatic("Press Help to read how to back up, restore and schedule backups.", kNoId, {40, 112, 320, 10}, about,
              SS_CENTER);
}

void BuildRunPanel(FormWindow& w, FrmMain& f) {
  const FormWindow::Place panel{nullptr, -1, &f.picCon3, 0};
  w.AddLabel(f.SkinLabel9, kFileLabel, {8, 226, 384, 9}, panel, SS_LEFT | SS_PATHELLIPSIS);
  w.AddLabel(f.Label1, kStepLabel, {8, 237, 384, 9}, panel);
  w.AddProgress(f.pbshow, kProgress, {8, 249, 384, 10}, panel);
}

void RouteMenus(FormWindow& w, FrmMain& f) {
  w.OnCommand(kMenuBackupNow, [&f] { f.backupnow_Click(); });
  w.OnCommand(kMenuRestoreNow, [&f] { f.restorenow_Click(); });
  w.OnCommand(kMenuQuit, [&f] { f.filequit_Click(); });
  w.OnCommand(kMenuTaskScheduler, [&f] { f.TaskScheduler_Click(); });
  w.OnCommand(kMenuSettings, [&f] { f.settings_Click(); });
  w.OnCommand(kMenuBackupToCd, [&f] { f.backuptocd_Click(); });
  w.OnCommand(kMenuHelp, [&f] { f.helpfile_Click(); });
  w.OnCommand(kMenuAbout, [&f] { f.about_Click(); });
  w.OnCommand(kMenuSelectAll, [&f] { f.Selectallitems_Click(); });
  w.OnCommand(kMenuDeselectAll, [&f] { f.Deselectallitems_Click(); });
  w.OnCommand(kMenuSelectAll2, [&f] { f.Selectallitems2_Click(); });
  w.OnCommand(kMenuDeselectAll2, [&f] { f.Deselectallitems2_Click(); });
  // Frame6_MouseDown / Frame7_MouseDown: the right button opens the item menus.
  w.OnContextMenu(kBackupFrame,
                  [window = w.hwnd()](POINT at) { PopupItemsMenu(window, at, kMenuSelectAll, kMenuDeselectAll); });
  w.OnContextMenu(kRestoreFrame,
                  [window = w.hwnd()](POINT at) { PopupItemsMenu(window, at, kMenuSelectAll2, kMenuDeselectAll2); });
}

// The message loop of the program, with the main window's accelerators and dialog keys.
int PumpUntilQuit(HWND window, HACCEL keys) {
  MSG msg;
  while (true) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) return got < 0 ? 1 : static_cast<int>(msg.wParam);
    if (IsWindow(window) && TranslateAcceleratorW(window, keys, &msg)) continue;
    if (IsWindow(window) && IsDialogMessageW(window, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int RunMainWindow(FrmMain& f, Win32Ui& ui, int showCommand) {
  FormWindow w(f, ui, kMainWindowClass, nullptr, 400, 286,
               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  HWND window = w.hwnd();
  if (!window) return 1;
  SetMenu(window, BuildMenuBar());

  w.AddTab(f.SSTab1, kTab, {5, 5, 390, 216}, [&f] { f.SSTab1_Click(); });
  BrowseButtons browse;
  BuildBackupPage(w, f, browse.target);
  BuildRestorePage(w, f, browse.source);
  BuildOtherPages(w, f);
  BuildRunPanel(w, f);
  w.AddButton(f.cmdApply, kApply, {270, 266, 60, 14}, [&f] { f.cmdApply_Click(); });
  w.AddButton(f.cmdQuit, kQuit, {335, 266, 60, 14}, [&f] { f.cmdQuit_Click(); }, {nullptr, -1, nullptr, 'Q'});

  RouteMenus(w, f);
  w.OnClose([&f] { f.Form_Unload(); });
  w.AfterHandler([&f, window] {
    if (!f.quitRequested) return;
    DestroyWindow(window);
    PostQuitMessage(0);
  });

  w.ApplyLayout();
  ui.SetOwner(window);
  ui.SetRefresh(&FormWindow::RefreshAll);
  f.visible = true;
  w.Show(showCommand);
  SetFocus(w.Item(kSource));
  f.Form_Activate();

  HACCEL keys = BuildAccelerators();
  const int code = PumpUntilQuit(window, keys);
  DestroyAcceleratorTable(keys);
  ui.SetOwner(nullptr);
  ui.SetRefresh(nullptr);
  return code;
}

}  // namespace tarvo
