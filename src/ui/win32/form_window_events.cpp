// FormWindow: controls of other kinds, their notifications and deferred events, the
// window's own message hooks and the controls' tips.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>

#include "platform/win32/wide.h"
#include "ui/win32/form_window.h"

namespace tarvo {

ControlBinder& FormWindow::AddControl(std::unique_ptr<ControlBinder> b, const wchar_t* cls, DWORD style,
                                      DWORD exStyle) {
  return Add(std::move(b), cls, style, exStyle, "");
}

bool FormWindow::Hooked(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  for (auto& [hooked, hook] : hooks_)
    if (hooked == message && hook(wParam, lParam, result)) return true;
  return false;
}

LRESULT FormWindow::OnNotifyMessage(const NMHDR& header) {
  ControlBinder* b = Find(header.hwndFrom);
  if (!b) return 0;
  if (header.code == static_cast<UINT>(TCN_SELCHANGE)) {
    // Even without a handler: the pages' controls follow the tab.
    Run(b->handler);
    return 0;
  }
  LRESULT result = 0;
  if (Handler h = b->Notify(header, result)) Run(h);
  return result;
}

void FormWindow::OnDeferredEvent(int id) {
  if (ControlBinder* b = Find(id))
    if (Handler h = b->Deferred()) Run(h);
}

void FormWindow::RefreshTips() {
  for (auto& b : bindings_) {
    if (!b->state || !b->hwnd) continue;
    const std::string& tip = b->state->tooltip;
    auto shown = std::find_if(shownTips_.begin(), shownTips_.end(), [&](const auto& t) { return t.first == b->hwnd; });
    if (shown == shownTips_.end() ? tip.empty() : shown->second == tip) continue;
    if (!tips_) {
      tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
      if (!tips_) return;
      SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, 400);  // long tips wrap
    }
    std::wstring text = ToWide(tip);
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(b->hwnd);
    info.lpszText = text.data();
    if (shown == shownTips_.end()) {
      SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
      shownTips_.emplace_back(b->hwnd, tip);
    } else {
      SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
      shown->second = tip;
    }
  }
}

}  // namespace tarvo
