#pragma once
// A real window over a portable form: creates one common control per control state
// object, mirrors the state into the controls, reads the user's changes back before a
// handler runs and routes the controls' events to the form's handlers.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "forms/controls.h"
#include "ui/win32/control_binders.h"

namespace tarvo {

class Win32Ui;

class FormWindow {
 public:
  using Handler = std::function<void()>;

  // Creates the (hidden) top-level window; clientWidth and clientHeight in dialog units.
  FormWindow(Form& form, Win32Ui& ui, const wchar_t* className, HWND owner, int clientWidth, int clientHeight,
             DWORD style);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Controls; see ControlPlace for where and when each shows.
  using Place = ControlPlace;
  void AddTab(TabStrip& tab, int id, DluRect r, Handler onChange);
  void AddButton(Button& button, int id, DluRect r, Handler onClick, Place p = {}, bool isDefault = false);
  void AddCheck(CheckBox& box, int id, DluRect r, Handler onClick, Place p = {});
  void AddOption(OptionButton& option, int id, DluRect r, Handler onClick, Place p = {}, bool firstInGroup = false);
  void AddLabel(Label& label, int id, DluRect r, Place p = {}, DWORD style = SS_LEFT);
  void AddText(TextBox& text, int id, DluRect r, Place p = {}, bool readOnly = false);
  void AddCombo(ComboBox& combo, int id, DluRect r, Handler onSelect, Place p = {}, bool editable = false);
  void AddList(ListBox& list, int id, DluRect r, Place p = {});
  void AddProgress(ProgressBar& bar, int id, DluRect r, Place p = {});
  // Fixed texts without a state object: labels and frames.
  void AddStatic(const std::string& text, int id, DluRect r, Place p = {}, DWORD style = SS_LEFT);
  void AddFrame(const std::string& caption, int id, DluRect r, Place p = {});

  // A control of another kind, created with this class and style and shadowed by b.
  ControlBinder& AddControl(std::unique_ptr<ControlBinder> b, const wchar_t* cls, DWORD style, DWORD exStyle = 0);

  // Enter and Esc on the window (IDOK / IDCANCEL from the dialog manager).
  void OnEnter(Handler h) { onEnter_ = std::move(h); }
  void OnEscape(Handler h) { onEscape_ = std::move(h); }
  // The close box and WM_CLOSE.
  void OnClose(Handler h) { onClose_ = std::move(h); }
  // Menu and accelerator commands.
  void OnCommand(int id, Handler h);
  // A right click inside the control with that id.
  void OnContextMenu(int id, std::function<void(POINT)> h);
  // A message of the window itself, seen before its own handling; true: answered with result.
  using MessageHook = std::function<bool(WPARAM, LPARAM, LRESULT& result)>;
  void OnMessage(UINT message, MessageHook hook) { hooks_.emplace_back(message, std::move(hook)); }
  // Runs at the end of every Refresh (menus follow their states here).
  void OnRefresh(Handler h) { onRefresh_.push_back(std::move(h)); }
  // Translated by the modal loop before the dialog keys.
  void SetAccelerators(HACCEL keys) { keys_ = keys; }
  // Runs after every handler; the main window ends the process here when asked to quit.
  void AfterHandler(Handler h) { afterHandler_ = std::move(h); }

  // State into the controls.
  void Refresh();
  // The user's changes into the state.
  void ReadBack();
  // Runs a handler the way an event does: read back, run, refresh.
  void Run(const Handler& h);
  // Positions every control for the window's current DPI and font.
  void ApplyLayout();
  // Centres on the owner (or the screen) and shows the window.
  void Show(int showCommand);
  // Shows the window modally until the form is unloaded or the window is closed.
  void RunModal();
  // The control created for a state object's id.
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // Refreshes every open window; hooked into the message pump of the runs.
  static void RefreshAll();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  ControlBinder& Add(std::unique_ptr<ControlBinder> b, const wchar_t* cls, DWORD style, DWORD exStyle,
                     const std::string& text);
  bool Visible(const ControlBinder& b) const;
  ControlBinder* Find(int id);
  ControlBinder* Find(HWND control);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam);
  bool OnContextMenuMessage(LPARAM lParam);  // true: handled
  LRESULT OnColorMessage(HDC dc, HWND control);
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  void ResizeClient();
  void SetFontFor(UINT dpi);
  int Px(int dlu, bool horizontal) const;
  COLORREF PageColor();
  void ForgetPageColor();
  void PaintBackground(HDC dc);
  bool Hooked(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  LRESULT OnNotifyMessage(const NMHDR& header);
  void OnDeferredEvent(int id);
  // The controls' tips (Control::tooltip) into one tooltip control.
  void RefreshTips();

  Form& form_;
  Win32Ui& ui_;
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH pageBrush_ = nullptr;
  COLORREF pageColor_ = 0;
  int baseX_ = 6, baseY_ = 13;  // dialog base units in pixels
  int clientW_, clientH_;
  std::vector<std::unique_ptr<ControlBinder>> bindings_;
  std::vector<std::pair<int, Handler>> commands_;
  std::vector<std::pair<int, std::function<void(POINT)>>> contextMenus_;
  Handler onEnter_, onEscape_, onClose_, afterHandler_;
  std::vector<std::pair<UINT, MessageHook>> hooks_;
  std::vector<Handler> onRefresh_;
  HACCEL keys_ = nullptr;
  HWND tips_ = nullptr;
  std::vector<std::pair<HWND, std::string>> shownTips_;
  bool inHandler_ = false;
};

// The DPI of a window, or of the screen before Windows 10.
UINT WindowDpi(HWND window);
// True for Ctrl+A, C, X, V or Z pressed in a text box: the key edits there and runs no
// menu shortcut.
bool EditingKey(const MSG& msg);

}  // namespace tarvo
