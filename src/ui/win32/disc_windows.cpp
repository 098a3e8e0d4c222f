// frmMaindvdwrite and frmErase as real windows. A timer on each raises the disc engine's
// pending write and erase events through the form, so a write or an erase runs while the
// window paints and takes input.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <memory>

#include "forms/frm_disc_write.h"
#include "forms/frm_erase.h"
#include "platform/win32/win32_ui.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/form_window.h"
#include "ui/win32/main_window.h"
#include "ui/win32/menu_mirror.h"
#include "ui/win32/view_binders.h"

namespace tarvo {
namespace {

using namespace ui_ids;

constexpr int kNoId = -1;
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr UINT_PTR kEventTimer = 1;
constexpr UINT kEventMs = 50;

// Message boxes and dialogs belong to the window on top while it shows.
class OwnerScope {
 public:
  OwnerScope(Win32Ui& ui, HWND window) : ui_(ui), previous_(ui.Owner()) { ui.SetOwner(window); }
  ~OwnerScope() { ui_.SetOwner(previous_); }
  OwnerScope(const OwnerScope&) = delete;
  OwnerScope& operator=(const OwnerScope&) = delete;

 private:
  Win32Ui& ui_;
  void* previous_;
};

// A text box whose every change by the user runs a handler (the form's _Change).
class ChangingTextBinder : public TextBinder {
 public:
  ChangingTextBinder(TextBox& text, int id, DluRect r, Handler onChange) : TextBinder(text, id, r, {}) {
    handler = std::move(onChange);
  }
  bool Fires(int code) const override { return code == EN_CHANGE && !setting_; }

 protected:
  void Refresh(bool first) override {
    setting_ = true;  // the form's own changes are not the user's
    TextBinder::Refresh(first);
    setting_ = false;
  }

 private:
  bool setting_ = false;
};

// The image list outlives the views that show it.
struct Images {
  HIMAGELIST list = nullptr;
  ~Images() {
    if (list) ImageList_Destroy(list);
  }
};

void StartEventTimer(FormWindow& w, FormWindow::Handler tick) {
  SetTimer(w.hwnd(), kEventTimer, kEventMs, nullptr);
  w.OnMessage(WM_TIMER, [&w, tick = std::move(tick)](WPARAM id, LPARAM, LRESULT&) {
    if (id != kEventTimer) return false;
    w.Run(tick);  // skipped while a handler (or its message box) is still running
    return true;
  });
}

void AddDriveRows(FormWindow& w, FrmMaindvdwrite& f) {
  w.AddLabel(f.lblDevice, kNoId, {7, 8, 46, 8});
  w.AddCombo(f.cboDevices, kDiscDevices, {54, 6, 200, 120}, [&f] { f.cboDevices_Click(); });
  w.AddLabel(f.lblWriteSpeed, kNoId, {262, 8, 50, 8});
  w.AddCombo(f.cboWriteSpeed, kDiscSpeeds, {314, 6, 119, 120}, nullptr);
  w.AddLabel(f.lblVolumeId, kNoId, {7, 26, 46, 8});
  ControlBinder& label = w.AddControl(
      std::make_unique<ChangingTextBinder>(f.txtVolIdentifier, kDiscVolumeId, DluRect{54, 24, 200, 12},
                                           [&f] { f.txtVolIdentifier_Change(); }),
      L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE);
  SendMessageW(label.hwnd, EM_LIMITTEXT, FrmMaindvdwrite::kMaxLabel, 0);
  w.AddLabel(f.lblVolumeType, kNoId, {262, 26, 50, 8});
  w.AddCombo(f.cboVolumeType, kDiscVolumeType, {314, 24, 119, 120}, nullptr);
}

void AddViews(FormWindow& w, FrmMaindvdwrite& f, HIMAGELIST images) {
  w.AddLabel(f.lblDragDrop, kDiscDragLabel, {7, 44, 200, 8});
  ViewEvents tree;
  tree.click = [&f](const std::string& key) { f.tvwFolders_NodeClick(key); };
  tree.beforeEdit = [&f](bool& cancel) { f.tvwFolders_BeforeLabelEdit(cancel); };
  tree.afterEdit = [&f](bool& cancel, const std::string& text) { f.tvwFolders_AfterLabelEdit(cancel, text); };
  tree.mouseDown = [&f](int button) { f.tvwFolders_MouseDown(button); };
  tree.drop = [&f](const std::vector<std::string>& paths) { f.tvwFolders_OLEDragDrop(paths); };
  w.AddControl(std::make_unique<TreeBinder>(f.tvwFolders, images, kDiscTree, DluRect{7, 55, 142, 150}, tree),
               WC_TREEVIEWW,
               WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
               WS_EX_CLIENTEDGE);
  ViewEvents list;
  list.click = [&f](const std::string& key) { f.lvwImageFiles_ItemClick(key); };
  list.afterEdit = [&f](bool& cancel, const std::string& text) { f.lvwImageFiles_AfterLabelEdit(cancel, text); };
  list.mouseDown = [&f](int button) { f.lvwImageFiles_MouseDown(button); };
  list.drop = [&f](const std::vector<std::string>& paths) { f.lvwImageFiles_OLEDragDrop(paths); };
  w.AddControl(std::make_unique<ListViewBinder>(f.lvwImageFiles, images, kDiscList, DluRect{153, 55, 280, 150}, list),
               WC_LISTVIEWW,
               WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_EDITLABELS | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
               WS_EX_CLIENTEDGE);
}

void AddOptionsAndButtons(FormWindow& w, FrmMaindvdwrite& f) {
  CheckBox* boxes[] = {&f.chkUseBufferProtect, &f.chkCacheImage, &f.chkFinalizeDisc, &f.chkTestWrite,
                       &f.chkUseMode2XA,       &f.chkAutoVerify, &f.chkUseFileDates, &f.chkDiscAtOnce};
  w.AddFrame("Options", kNoId, {7, 208, 426, 36});
  for (int i = 0; i < 8; ++i) {
    FormWindow::Handler click;
    if (boxes[i] == &f.chkUseFileDates) click = [&f] { f.chkUseFileDates_Click(); };
    w.AddCheck(*boxes[i], kDiscOption0 + i, {13 + (i % 4) * 105, 218 + (i / 4) * 12, 102, 10}, std::move(click));
  }
  w.AddProgress(f.prgTotalProgress, kDiscProgress, {7, 250, 300, 12});
  w.AddButton(f.cmdWriteDisc, kDiscWrite, {313, 249, 58, 14}, [&f] { f.cmdWriteDisc_Click(); });
  w.AddButton(f.cmdCancel, kDiscCancel, {375, 249, 58, 14}, [&f] { f.cmdCancel_Click(); });
  w.AddControl(std::make_unique<StatusBinder>(f.sbrStatus, std::vector<int>{56, 22, 22}, kDiscStatus,
                                              DluRect{0, 268, 440, 12}),
               STATUSCLASSNAMEW, CCS_BOTTOM);
}

std::vector<MenuColumn> DiscMenus(FrmMaindvdwrite& f) {
  return {
      {&f.mnuFile,
       {{&f.munaddfile, kDiscMenuAddFile},
        {&f.mnuFileSep1, 0},
        {&f.mnuFileClear, kDiscMenuClear},
        {&f.mnuFileSep2, 0},
        {&f.mnuFileRemoveFolder, kDiscMenuRemoveFolder},
        {&f.mnuFileRenameFolder, kDiscMenuRenameFolder},
        {&f.mnuFileRemoveFile, kDiscMenuRemoveFile},
        {&f.mnuFileRenameFile, kDiscMenuRenameFile},
        {&f.mnuFileSep3, 0},
        {&f.mnuFileExit, kDiscMenuExit}}},
      {&f.mnuDevice,
       {{&f.mnuDeviceEject, kDiscMenuEject},
        {&f.mnuDeviceCloseTray, kDiscMenuCloseTray},
        {&f.mnuDeviceEraseDisc, kDiscMenuErase}}},
  };
}

void RouteMenus(MenuMirror& menus, FrmMaindvdwrite& f) {
  menus.Route(kDiscMenuAddFile, [&f] { f.munaddfile_Click(); });
  menus.Route(kDiscMenuClear, [&f] { f.mnuFileClear_Click(); });
  menus.Route(kDiscMenuRemoveFolder, [&f] { f.mnuFileRemoveFolder_Click(); });
  menus.Route(kDiscMenuRenameFolder, [&f] { f.mnuFileRenameFolder_Click(); });
  menus.Route(kDiscMenuRemoveFile, [&f] { f.mnuFileRemoveFile_Click(); });
  menus.Route(kDiscMenuRenameFile, [&f] { f.mnuFileRenameFile_Click(); });
  menus.Route(kDiscMenuExit, [&f] { f.mnuFileExit_Click(); });
  menus.Route(kDiscMenuEject, [&f] { f.mnuDeviceEject_Click(); });
  menus.Route(kDiscMenuCloseTray, [&f] { f.mnuDeviceCloseTray_Click(); });
  menus.Route(kDiscMenuErase, [&f] { f.mnuDeviceEraseDisc_Click(); });
}

void ShowDiscWrite(FrmMaindvdwrite& f, Win32Ui& ui) {
  Images images;
  FormWindow w(f, ui, L"TarvoDiscWrite", static_cast<HWND>(ui.Owner()), 440, 280, kDialogStyle);
  images.list = MakeDiscImages(WindowDpi(w.hwnd()));
  MenuMirror menus(w, DiscMenus(f));
  RouteMenus(menus, f);
  AddDriveRows(w, f);
  AddViews(w, f, images.list);
  AddOptionsAndButtons(w, f);
  // Closing asks the form, which refuses while a write runs.
  auto close = [&f] {
    if (f.Form_Unload()) f.loaded = false;
  };
  w.OnClose(close);
  w.OnEscape(close);
  StartEventTimer(w, [&f] { f.tmrEvents_Timer(); });
  w.ApplyLayout();
  OwnerScope owner(ui, w.hwnd());
  w.RunModal();
  KillTimer(w.hwnd(), kEventTimer);
}

void ShowErase(FrmErase& f, Win32Ui& ui) {
  FormWindow w(f, ui, L"TarvoDiscErase", static_cast<HWND>(ui.Owner()), 260, 122, kDialogStyle);
  w.AddCheck(f.chkQuikErase, kErsQuick, {7, 7, 200, 10}, nullptr);
  w.AddLabel(f.lblStatus, kErsStatus, {7, 22, 246, 8});
  w.AddProgress(f.prgEraseProgress, kErsProgress, {7, 33, 246, 10});
  w.AddLabel(f.lblNote, kErsNote, {7, 50, 246, 42});
  w.AddButton(f.cmdErase, kErsStart, {141, 101, 54, 14}, [&f] { f.cmdErase_Click(); });
  w.AddButton(f.cmdCancel, kErsCancel, {199, 101, 54, 14}, [&f] { f.cmdCancel_Click(); });
  w.OnClose([&f] {
    if (f.Form_Unload()) f.loaded = false;
  });
  // Esc is the Cancel button, which the erase disables while it runs.
  w.OnEscape([&f] {
    if (f.cmdCancel.enabled) f.cmdCancel_Click();
  });
  StartEventTimer(w, [&f] { f.tmrEvents_Timer(); });
  w.ApplyLayout();
  OwnerScope owner(ui, w.hwnd());
  w.RunModal();
  KillTimer(w.hwnd(), kEventTimer);
}

}  // namespace

void RegisterDiscWindows(Win32Ui& ui) {
  ui.RegisterForm("frmMaindvdwrite", [&ui](Form& f) { ShowDiscWrite(static_cast<FrmMaindvdwrite&>(f), ui); });
  ui.RegisterForm("frmErase", [&ui](Form& f) { ShowErase(static_cast<FrmErase&>(f), ui); });
}

}  // namespace tarvo
