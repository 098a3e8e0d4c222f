// The modal windows: frmPwd, Frmoption, Frmsettings and frmabout, shown through
// Win32Ui::ShowModal, and the start-up splash.
#include <windows.h>

#include "core/item_table.h"
#include "forms/frm_about.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"
#include "forms/frm_pwd.h"
#include "forms/frm_option.h"
#include "forms/frm_settings.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/form_window.h"
#include "ui/win32/main_window.h"

namespace tarvo {
namespace {

using namespace ui_ids;

constexpr int kNoId = -1;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

HWND OwnerOf(Win32Ui& ui) { return static_cast<HWND>(ui.Owner()); }

void ShowPwd(FrmPwd& f, Win32Ui& ui) {
  FormWindow w(f, ui, L"TarvoPassword", OwnerOf(ui), 186, 62, kDialogStyle);
  w.AddLabel(f.SkinLabel1, kNoId, {7, 8, 172, 8}, {});
  w.AddText(f.txtPassword, kPwdText, {7, 19, 172, 12});
  w.AddButton(f.cmdOK, kPwdOk, {75, 40, 50, 14}, [&f] { f.cmdOK_Click(); }, {}, true);
  w.AddButton(f.cmdExit, kPwdCancel, {129, 40, 50, 14}, [&f] { f.cmdExit_Click(); });
  // Enter in the password box is its KeyPress 13; Esc and the close box cancel.
  w.OnEnter([&f] { f.txtPassword_KeyPress(13); });
  w.OnEscape([&f] { f.cmdExit_Click(); });
  w.OnClose([&f] { f.cmdExit_Click(); });
  w.ApplyLayout();
  w.RunModal();
}

void ShowOption(Frmoption& f, Win32Ui& ui) {
  FormWindow w(f, ui, L"TarvoTaskScheduler", OwnerOf(ui), 400, 250, kDialogStyle);
  if (f.cmdTargetFile.caption.empty()) f.cmdTargetFile.caption = "&Browse...";
  w.AddLabel(f.lblExplain, kNoId, {7, 6, 386, 18}, {});
  w.AddFrame("Profile to backup", kNoId, {7, 28, 190, 32});
  w.AddCombo(f.cbSource, kOptSource, {14, 40, 176, 120}, [&f] { f.cbSource_Click(); });
  w.AddFrame("Security", kNoId, {7, 64, 190, 56});
  w.AddCheck(f.ifprotect, kOptProtect, {14, 76, 176, 10}, [&f] { f.ifprotect_Click(); }, {nullptr, -1, nullptr, 'w'});
  w.AddStatic("Password:", kNoId, {14, 91, 64, 8});
  w.AddText(f.txtPassword, kOptPassword, {80, 89, 110, 12});
  w.AddStatic("Retype Password:", kNoId, {14, 105, 64, 8});
  w.AddText(f.txtPassword2, kOptPassword2, {80, 103, 110, 12});

  w.AddFrame("Schedule", kNoId, {203, 28, 190, 92});
  w.AddStatic("Start backup &at", kNoId, {210, 42, 60, 8});
  w.AddCombo(f.cmbStartTime, kOptStartTime, {272, 40, 60, 150}, nullptr, {}, true);
  CheckBox* days[] = {&f.chkMonday, &f.chkTuesday, &f.chkWednesday, &f.chkThursday,
                      &f.chkFriday, &f.chkSaturday, &f.chkSunday};
  for (int i = 0; i < 7; ++i)
    w.AddCheck(*days[i], kOptMonday + i, {210 + (i % 3) * 60, 58 + (i / 3) * 14, 58, 10}, nullptr);
  w.AddCheck(f.chkDaily, kOptDaily, {270, 86, 80, 10}, [&f] { f.chkDaily_Click(); }, {nullptr, -1, nullptr, 'y'});

  w.AddFrame("Items to backup", kNoId, {7, 124, 386, 68});
  for (int i = 0; i < 9; ++i) {
    const int row = i == 0 ? 0 : (i + 1) / 2;
    const int column = i == 0 ? 0 : (i + 1) % 2;
    w.AddCheck(f.backupitem[static_cast<std::size_t>(i)], kOptItem0 + i,
               {14 + column * 188, 136 + row * 11, i == 0 ? 370 : 182, 10}, nullptr,
               {nullptr, -1, nullptr, kBoxes[static_cast<std::size_t>(i)].mnemonic});
  }
  w.AddStatic("Backup Filename(Default folder && filename)", kNoId, {7, 198, 386, 8});
  w.AddText(f.txtTargetFile, kOptTargetFile, {7, 208, 330, 12});
  w.AddButton(f.cmdTargetFile, kOptBrowse, {341, 207, 52, 14}, [&f] { f.cmdTargetFile_Click(); });
  w.AddButton(f.Command3, kOptAdd, {181, 230, 100, 14}, [&f] { f.Command3_Click(); }, {nullptr, -1, nullptr, 'd'},
              true);
  w.AddButton(f.Command1, kOptDisable, {285, 230, 52, 14}, [&f] { f.Command1_Click(); }, {nullptr, -1, nullptr, 'i'});
  w.AddButton(f.Command2, kOptCancel, {341, 230, 52, 14}, [&f] { f.Command2_Click(); });
  w.OnEscape([&f] { f.Command2_Click(); });
  w.OnClose([&f] { f.Command2_Click(); });
  w.ApplyLayout();
  w.RunModal();
}

void ShowSettings(Frmsettings& f, Win32Ui& ui) {
  FormWindow w(f, ui, L"TarvoSettings", OwnerOf(ui), 300, 186, kDialogStyle);
  if (f.Command1.caption.empty()) f.Command1.caption = "&Browse...";
  w.AddTab(f.SSTab1, kSetTab, {7, 7, 286, 150}, nullptr);
  const FormWindow::Place general{&f.SSTab1, 0, nullptr, 0};
  CheckBox* generalBoxes[] = {&f.Check1, &f.Check3, &f.Check6, &f.Check7, &f.Check2};
  const int generalIds[] = {kSetCheck1, kSetCheck1 + 2, kSetCheck1 + 5, kSetCheck1 + 6, kSetCheck1 + 1};
  for (int i = 0; i < 5; ++i) w.AddCheck(*generalBoxes[i], generalIds[i], {16, 30 + i * 15, 268, 10}, nullptr, general);

  const FormWindow::Place backup{&f.SSTab1, 1, nullptr, 0};
  w.AddStatic("&Default folder for backups", kNoId, {16, 30, 200, 8}, backup);
  w.AddText(f.Text1, kSetFolder, {16, 41, 212, 12}, backup);
  w.AddButton(f.Command1, kSetBrowse, {232, 40, 52, 14}, [&f] { f.Command1_Click(); }, backup);
  CheckBox* backupBoxes[] = {&f.Check4, &f.Check5, &f.Check8};
  const int backupIds[] = {kSetCheck1 + 3, kSetCheck1 + 4, kSetCheck1 + 7};
  for (int i = 0; i < 3; ++i) w.AddCheck(*backupBoxes[i], backupIds[i], {16, 62 + i * 15, 268, 10}, nullptr, backup);
  w.AddLabel(f.lblKeepDated, kNoId, {16, 110, 212, 8}, backup);
  w.AddText(f.txtKeepDated, kSetKeepDated, {232, 108, 52, 12}, backup);

  const FormWindow::Place scheduled{&f.SSTab1, 2, nullptr, 0};
  w.AddFrame("Bacukup Files", kNoId, {16, 28, 268, 48}, scheduled);
  w.AddOption(f.Option1, kSetOption1, {24, 42, 252, 10}, nullptr, scheduled, true);
  w.AddOption(f.Option2, kSetOption2, {24, 57, 252, 10}, nullptr, scheduled);
  w.AddCheck(f.chkCloseOutlookAuto, kSetCloseOutlookAuto, {16, 86, 268, 10}, nullptr, scheduled);

  w.AddButton(f.Command2, kSetOk, {185, 165, 52, 14}, [&f] { f.Command2_Click(); }, {}, true);
  w.AddButton(f.Command3, kSetCancel, {241, 165, 52, 14}, [&f] { f.Command3_Click(); });
  w.OnEnter([&f] { f.Command2_Click(); });
  w.OnEscape([&f] { f.Command3_Click(); });
  w.OnClose([&f] { f.Command3_Click(); });
  w.ApplyLayout();
  w.RunModal();
}

void ShowAbout(FrmAbout& f, Win32Ui& ui) {
  FormWindow w(f, ui, L"TarvoAbout", OwnerOf(ui), 280, 116, kDialogStyle);
  w.AddLabel(f.lblTitle, kNoId, {7, 10, 266, 10}, {}, SS_CENTER);
  w.AddLabel(f.lblVersion, kNoId, {7, 21, 266, 8}, {}, SS_CENTER);
  w.AddStatic("Backs up and restores Microsoft Outlook data.", kNoId, {7, 32, 266, 8}, {}, SS_CENTER);
  w.AddLabel(f.lblProgram, kNoId, {7, 48, 266, 8}, {}, SS_LEFT | SS_PATHELLIPSIS);
  w.AddLabel(f.lblData, kNoId, {7, 59, 266, 8}, {}, SS_LEFT | SS_PATHELLIPSIS);
  w.AddLabel(f.lblSettings, kNoId, {7, 70, 266, 8}, {}, SS_LEFT | SS_PATHELLIPSIS);
  w.AddLabel(f.lblLog, kNoId, {7, 81, 266, 8}, {}, SS_LEFT | SS_PATHELLIPSIS);
  w.AddButton(f.cmdOK, kAboutOk, {114, 96, 52, 14}, [&f] { f.cmdOK_Click(); }, {}, true);
  w.OnEnter([&f] { f.cmdOK_Click(); });
  w.OnEscape([&f] { f.cmdOK_Click(); });
  w.OnClose([&f] { f.cmdOK_Click(); });
  w.ApplyLayout();
  w.RunModal();
}

// The splash has no form of its own in the logic: a title card for a moment.
class Splash : public Form {
 public:
  const char* Name() const override { return "Frmsplash"; }
};

}  // namespace

void RegisterFormWindows(Win32Ui& ui) {
  ui.RegisterForm("frmPwd", [&ui](Form& f) { ShowPwd(static_cast<FrmPwd&>(f), ui); });
  ui.RegisterForm("Frmoption", [&ui](Form& f) { ShowOption(static_cast<Frmoption&>(f), ui); });
  ui.RegisterForm("Frmsettings", [&ui](Form& f) { ShowSettings(static_cast<Frmsettings&>(f), ui); });
  ui.RegisterForm("frmabout", [&ui](Form& f) { ShowAbout(static_cast<FrmAbout&>(f), ui); });
  RegisterDiscWindows(ui);
}

void ShowSplash() {
  Splash splash;
  Win32Ui quiet;
  Label title, subtitle;
  title.caption = kMainCaption;
  subtitle.caption = "Starting...";
  FormWindow w(splash, quiet, L"TarvoSplash", nullptr, 200, 60, WS_POPUP | WS_BORDER);
  w.AddLabel(title, kNoId, {0, 16, 200, 10}, {}, SS_CENTER);
  w.AddLabel(subtitle, kNoId, {0, 34, 200, 8}, {}, SS_CENTER);
  w.ApplyLayout();
  w.Show(SW_SHOWNOACTIVATE);
  // Long enough to be seen, short enough not to be in the way.
  const DWORD until = GetTickCount() + 700;
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
}

}  // namespace tarvo
