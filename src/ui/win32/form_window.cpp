#include "ui/win32/form_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace tarvo {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Entry(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

UINT ScreenDpi() {
  HDC dc = GetDC(nullptr);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

std::vector<FormWindow*>& LiveWindows() {
  static std::vector<FormWindow*> live;
  return live;
}

void RegisterWindowClass(const wchar_t* className) {
  static const bool controlsReady = [] {
    const DWORD classes = ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_TREEVIEW_CLASSES |
                          ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), classes};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)controlsReady;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, className, &wc)) return;
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FormWindow::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto getDpi = User32Entry<GetDpiForWindowFn>("GetDpiForWindow");
  if (getDpi && window) {
    const UINT dpi = getDpi(window);
    if (dpi > 0) return dpi;
  }
  return ScreenDpi();
}

FormWindow::FormWindow(Form& form, Win32Ui& ui, const wchar_t* className, HWND owner, int clientWidth,
                       int clientHeight, DWORD style)
    : form_(form), ui_(ui), owner_(owner), clientW_(clientWidth), clientH_(clientHeight) {
  RegisterWindowClass(className);
  hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, className, ToWide(form.caption).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, 100, 100, owner, nullptr, GetModuleHandleW(nullptr), this);
  SetFontFor(WindowDpi(hwnd_));
  LiveWindows().push_back(this);
}

FormWindow::~FormWindow() {
  auto& live = LiveWindows();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (hwnd_ && IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_) DeleteObject(font_);
  ForgetPageColor();
}

void FormWindow::RefreshAll() {
  for (FormWindow* window : LiveWindows()) window->Refresh();
}

ControlBinder& FormWindow::Add(std::unique_ptr<ControlBinder> b, const wchar_t* cls, DWORD style, DWORD exStyle,
                              const std::string& text) {
  b->hwnd = CreateWindowExW(exStyle, cls, ToWide(WithMnemonic(text, b->place.mnemonic)).c_str(), WS_CHILD | style, 0,
                            0, 10, 10, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(b->id)),
                            GetModuleHandleW(nullptr), nullptr);
  bindings_.push_back(std::move(b));
  return *bindings_.back();
}

void FormWindow::AddTab(TabStrip& tab, int id, DluRect r, Handler onChange) {
  ControlBinder& b = Add(std::make_unique<TabBinder>(tab, id, r, std::move(onChange)), WC_TABCONTROLW,
                         WS_CLIPSIBLINGS | WS_TABSTOP | WS_GROUP, 0, "");
  for (std::size_t i = 0; i < tab.captions.size(); ++i) {
    std::wstring caption = ToWide(tab.captions[i]);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(b.hwnd, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void FormWindow::AddButton(Button& button, int id, DluRect r, Handler onClick, Place p, bool isDefault) {
  Add(std::make_unique<CaptionBinder>(button, button.caption, true, id, r, p, std::move(onClick)), L"BUTTON",
      WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, button.caption);
}

void FormWindow::AddCheck(CheckBox& box, int id, DluRect r, Handler onClick, Place p) {
  Add(std::make_unique<CheckBinder>(box, id, r, p, std::move(onClick)), L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0,
      box.caption);
}

void FormWindow::AddOption(OptionButton& option, int id, DluRect r, Handler onClick, Place p, bool firstInGroup) {
  Add(std::make_unique<OptionBinder>(option, id, r, p, std::move(onClick)), L"BUTTON",
      WS_TABSTOP | BS_AUTORADIOBUTTON | (firstInGroup ? WS_GROUP : 0), 0, option.caption);
}

void FormWindow::AddLabel(Label& label, int id, DluRect r, Place p, DWORD style) {
  // File names and run captions may hold "&"; they are shown as they are.
  Add(std::make_unique<CaptionBinder>(label, label.caption, false, id, r, p, nullptr), L"STATIC",
      style | SS_NOPREFIX, 0, label.caption);
}

void FormWindow::AddText(TextBox& text, int id, DluRect r, Place p, bool readOnly) {
  DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
  if (text.password) style |= ES_PASSWORD;
  if (text.multiLine) style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  if (readOnly) style |= ES_READONLY;
  ControlBinder& b = Add(std::make_unique<TextBinder>(text, id, r, p), L"EDIT", style, WS_EX_CLIENTEDGE, "");
  if (text.password) SendMessageW(b.hwnd, EM_SETPASSWORDCHAR, L'*', 0);
}

void FormWindow::AddCombo(ComboBox& combo, int id, DluRect r, Handler onSelect, Place p, bool editable) {
  Add(std::make_unique<ComboBinder>(combo, editable, id, r, p, std::move(onSelect)), L"COMBOBOX",
      WS_TABSTOP | WS_VSCROLL | (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST), 0, "");
}

void FormWindow::AddList(ListBox& list, int id, DluRect r, Place p) {
  Add(std::make_unique<ListBinder>(list, font_, id, r, p), L"LISTBOX",
      WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, WS_EX_CLIENTEDGE, "");
}

void FormWindow::AddProgress(ProgressBar& bar, int id, DluRect r, Place p) {
  Add(std::make_unique<ProgressBinder>(bar, id, r, p), PROGRESS_CLASSW, PBS_SMOOTH, 0, "");
}

void FormWindow::AddStatic(const std::string& text, int id, DluRect r, Place p, DWORD style) {
  Add(std::make_unique<ControlBinder>(nullptr, id, r, p, nullptr), L"STATIC", style, 0, text);
}

void FormWindow::AddFrame(const std::string& caption, int id, DluRect r, Place p) {
  Add(std::make_unique<ControlBinder>(nullptr, id, r, p, nullptr), L"BUTTON", BS_GROUPBOX, 0, caption);
}

void FormWindow::OnCommand(int id, Handler h) { commands_.emplace_back(id, std::move(h)); }

void FormWindow::OnContextMenu(int id, std::function<void(POINT)> h) { contextMenus_.emplace_back(id, std::move(h)); }

bool FormWindow::Visible(const ControlBinder& b) const {
  if (b.state && !b.state->visible) return false;
  if (b.place.panel && !b.place.panel->visible) return false;
  if (b.place.strip && b.place.strip->tab != b.place.page) return false;
  return true;
}

void FormWindow::Refresh() {
  for (auto& b : bindings_) b->Push(Visible(*b));
  RefreshTips();
  for (auto& h : onRefresh_) h();
}

void FormWindow::ReadBack() {
  for (auto& b : bindings_) b->Read();
}

void FormWindow::Run(const Handler& h) {
  if (inHandler_) return;  // a run pumping messages does not start a second one
  inHandler_ = true;
  ReadBack();
  if (h) h();
  inHandler_ = false;
  Refresh();
  if (afterHandler_) afterHandler_();
}

ControlBinder* FormWindow::Find(int id) {
  for (auto& b : bindings_)
    if (b->id == id) return b.get();
  return nullptr;
}

ControlBinder* FormWindow::Find(HWND control) {
  for (auto& b : bindings_)
    if (b->hwnd == control) return b.get();
  return nullptr;
}

// A themed tab body is not the face colour; the tab is printed once into a bitmap and the
// middle of its body sampled.
COLORREF FormWindow::PageColor() {
  if (pageBrush_) return pageColor_;
  pageColor_ = GetSysColor(COLOR_BTNFACE);
  for (auto& b : bindings_) {
    if (!b->IsTab()) continue;
    RECT r{};
    GetClientRect(b->hwnd, &r);
    if (r.right < 8 || r.bottom < 8) break;
    HDC screen = GetDC(b->hwnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    FillRect(memory, &r, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(b->hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF sampled = GetPixel(memory, r.right / 2, r.bottom * 3 / 4);
    if (sampled != CLR_INVALID) pageColor_ = sampled;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(b->hwnd, screen);
    break;
  }
  pageBrush_ = CreateSolidBrush(pageColor_);
  return pageColor_;
}

void FormWindow::PaintBackground(HDC dc) {
  RECT client{};
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  for (auto& b : bindings_) {
    if (!b->IsTab()) continue;
    PageColor();
    RECT page{};
    GetWindowRect(b->hwnd, &page);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&page), 2);
    SendMessageW(b->hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
    FillRect(dc, &page, pageBrush_);
  }
}

void FormWindow::ForgetPageColor() {
  if (pageBrush_) DeleteObject(pageBrush_);
  pageBrush_ = nullptr;
}

int FormWindow::Px(int dlu, bool horizontal) const {
  return horizontal ? MulDiv(dlu, baseX_, 4) : MulDiv(dlu, baseY_, 8);
}

void FormWindow::SetFontFor(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  static const auto forDpi = User32Entry<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi),
                                            static_cast<int>(ScreenDpi()));
  }
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  if (!font) return;
  if (font_) DeleteObject(font_);
  font_ = font;

  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE size{};
  static constexpr wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  baseY_ = tm.tmHeight > 0 ? tm.tmHeight : 13;
  baseX_ = size.cx > 0 ? (size.cx / 26 + 1) / 2 : 6;
}

void FormWindow::ApplyLayout() {
  ForgetPageColor();
  for (auto& b : bindings_) {
    const DluRect& r = b->rect;
    const bool bottom = b->IsTab();  // the tab body lies under its page's controls
    SetWindowPos(b->hwnd, bottom ? HWND_BOTTOM : nullptr, Px(r.x, true), Px(r.y, false), Px(r.w, true),
                 Px(r.h, false), SWP_NOACTIVATE | (bottom ? 0 : SWP_NOZORDER));
    SendMessageW(b->hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    InvalidateRect(b->hwnd, nullptr, TRUE);
  }
  ResizeClient();
  for (auto& b : bindings_) b->Laid();
  Refresh();
}

void FormWindow::ResizeClient() {
  RECT rect{0, 0, Px(clientW_, true), Px(clientH_, false)};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  const BOOL menu = GetMenu(hwnd_) != nullptr;
  static const auto forDpi = User32Entry<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!forDpi || !forDpi(&rect, style, menu, exStyle, WindowDpi(hwnd_))) AdjustWindowRectEx(&rect, style, menu, exStyle);
  SetWindowPos(hwnd_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::OnDpiChanged(UINT dpi, const RECT* suggested) {
  SetFontFor(dpi);
  if (suggested)
    SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyLayout();
}

void FormWindow::Show(int showCommand) {
  RECT window{}, area{};
  GetWindowRect(hwnd_, &window);
  if (owner_ && IsWindowVisible(owner_))
    GetWindowRect(owner_, &area);
  else
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const int w = window.right - window.left, h = window.bottom - window.top;
  const int x = std::max(0L, area.left + (area.right - area.left - w) / 2);
  const int y = std::max(0L, area.top + (area.bottom - area.top - h) / 2);
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  form_.visible = true;
  Refresh();
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
}

// Ctrl+A, C, X, V and Z typed into a text box (a label edit included) select, copy, cut,
// paste and undo there, as everywhere in Windows, rather than run a menu command: Ctrl+C
// would otherwise clear the composed disc while copying its label.
bool EditingKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000)) return false;
  const WPARAM key = msg.wParam;
  if (key != 'A' && key != 'C' && key != 'X' && key != 'V' && key != 'Z') return false;
  wchar_t cls[16] = {};
  GetClassNameW(msg.hwnd, cls, 16);
  return lstrcmpiW(cls, L"Edit") == 0;
}

void FormWindow::RunModal() {
  if (owner_) EnableWindow(owner_, FALSE);
  Show(SW_SHOW);
  SetForegroundWindow(hwnd_);
  if (HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE)) SetFocus(first);
  MSG msg;
  while (form_.loaded && IsWindow(hwnd_)) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the main loop
      break;
    }
    if (keys_ && !EditingKey(msg) && TranslateAcceleratorW(hwnd_, keys_, &msg)) continue;
    if (!IsDialogMessageW(hwnd_, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  // The owner comes back before this window goes, so it gets the activation.
  if (owner_) {
    EnableWindow(owner_, TRUE);
    SetActiveWindow(owner_);
  }
  ShowWindow(hwnd_, SW_HIDE);
  form_.visible = false;
}

LRESULT CALLBACK FormWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && self->hwnd_ == window) return self->Handle(message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT FormWindow::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (id == IDOK && onEnter_) {
    Run(onEnter_);
    return 0;
  }
  if (id == IDCANCEL && onEscape_) {
    Run(onEscape_);
    return 0;
  }
  if (lParam == 0) {  // menu or accelerator
    for (auto& [command, handler] : commands_)
      if (command == id) Run(handler);
    return 0;
  }
  ControlBinder* b = Find(id);
  if (b && b->handler && b->Fires(code)) Run(b->handler);
  return 0;
}

bool FormWindow::OnContextMenuMessage(LPARAM lParam) {
  if (inHandler_) return true;
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  for (auto& [id, handler] : contextMenus_) {
    ControlBinder* b = Find(id);
    if (!b || !IsWindowVisible(b->hwnd)) continue;
    RECT rect;
    GetWindowRect(b->hwnd, &rect);
    if (PtInRect(&rect, at)) {
      ReadBack();
      handler(at);
      return true;
    }
  }
  return false;
}

LRESULT FormWindow::OnColorMessage(HDC dc, HWND control) {
  ControlBinder* b = Find(control);
  if (b && b->GreyBackground()) {
    SetBkColor(dc, GetSysColor(COLOR_SCROLLBAR));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
  }
  // Labels and boxes on a tab page take the colour of the tab body, the others the face colour.
  if (b && b->place.strip) {
    SetBkColor(dc, PageColor());
    return reinterpret_cast<LRESULT>(pageBrush_);
  }
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT FormWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT hooked = 0;
  if (Hooked(message, wParam, lParam, hooked)) return hooked;
  switch (message) {
    case WM_COMMAND:
      return OnCommandMessage(wParam, lParam);
    case WM_NOTIFY:
      return OnNotifyMessage(*reinterpret_cast<const NMHDR*>(lParam));
    case kDeferredEvent:
      OnDeferredEvent(static_cast<int>(wParam));
      return 0;
    case WM_CONTEXTMENU:
      if (OnContextMenuMessage(lParam)) return 0;
      break;
    case WM_CTLCOLOREDIT:
      // A box the user types into keeps the window colour unless its state greys it.
      if (ControlBinder* b = Find(reinterpret_cast<HWND>(lParam)); !b || !b->GreyBackground()) break;
      return OnColorMessage(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CTLCOLORSTATIC:
      return OnColorMessage(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (ui_.Busy()) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        return TRUE;
      }
      break;
    case WM_CLOSE:
      if (!inHandler_) Run(onClose_);
      return 0;
    case WM_ERASEBKGND:
      // Themed controls paint their background from the parent: the page area gets the tab body colour.
      PaintBackground(reinterpret_cast<HDC>(wParam));
      return TRUE;
    case WM_THEMECHANGED:
    case WM_SYSCOLORCHANGE:
      ForgetPageColor();
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case WM_DPICHANGED:
      OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tarvo
