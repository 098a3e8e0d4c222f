#include "ui/win32/control_binders.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

// Ticks or clears a check or option button, sending only a change.
void ShowChecked(HWND button, bool checked) {
  const WPARAM want = checked ? BST_CHECKED : BST_UNCHECKED;
  if (static_cast<WPARAM>(SendMessageW(button, BM_GETCHECK, 0, 0)) != want) SendMessageW(button, BM_SETCHECK, want, 0);
}

bool Checked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

std::string WithMnemonic(const std::string& caption, char letter) {
  if (letter == 0 || caption.find('&') != std::string::npos) return caption;
  const auto lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(caption[i])) == lower) return caption.substr(0, i) + "&" + caption.substr(i);
  }
  return caption;
}

void ControlBinder::Push(bool visible) {
  const bool enabled = !state || state->enabled;
  if (!pushed_ || visible != shownVisible_) ShowWindow(hwnd, visible ? SW_SHOWNA : SW_HIDE);
  if (!pushed_ || enabled != shownEnabled_) EnableWindow(hwnd, enabled);
  shownVisible_ = visible;
  shownEnabled_ = enabled;
  const bool first = !pushed_;
  pushed_ = true;
  Refresh(first);
}

void ControlBinder::SetText(const std::string& text, bool mnemonic, bool first) {
  if (!first && text == shownText) return;
  SetWindowTextW(hwnd, ToWide(mnemonic ? WithMnemonic(text, place.mnemonic) : text).c_str());
  shownText = text;
}

void TabBinder::Refresh(bool) {
  if (SendMessageW(hwnd, TCM_GETCURSEL, 0, 0) != tab_.tab) SendMessageW(hwnd, TCM_SETCURSEL, tab_.tab, 0);
}

void TabBinder::Read() { tab_.tab = static_cast<int>(SendMessageW(hwnd, TCM_GETCURSEL, 0, 0)); }

void CheckBinder::Refresh(bool first) {
  SetText(box_.caption, true, first);
  ShowChecked(hwnd, box_.value == 1);
}

void CheckBinder::Read() { box_.value = Checked(hwnd) ? 1 : 0; }

void OptionBinder::Refresh(bool first) {
  SetText(option_.caption, true, first);
  ShowChecked(hwnd, option_.value);
}

void OptionBinder::Read() { option_.value = Checked(hwnd); }

void TextBinder::Refresh(bool first) {
  SetText(text_.text, false, first);
  const int color = static_cast<int>(text_.backColor);
  if (color != shownColor_) {  // painted through WM_CTLCOLOR*, so a repaint shows it
    InvalidateRect(hwnd, nullptr, TRUE);
    shownColor_ = color;
  }
}

void TextBinder::Read() {
  text_.text = FromWide(WindowText(hwnd));
  shownText = text_.text;
}

void ComboBinder::Refresh(bool first) {
  if (first || combo_.items != shownItems_) {
    SendMessageW(hwnd, CB_RESETCONTENT, 0, 0);
    for (const auto& item : combo_.items)
      SendMessageW(hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
    shownItems_ = combo_.items;
    shownValue = -2;
  }
  int index = combo_.listIndex;
  if (index < 0 && !combo_.text.empty()) {
    const auto found = std::find(combo_.items.begin(), combo_.items.end(), combo_.text);
    if (found != combo_.items.end()) index = static_cast<int>(found - combo_.items.begin());
  }
  if (index != shownValue) {
    SendMessageW(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    shownValue = index;
    shownText.clear();
  }
  if (editable_) SetText(combo_.text, false, first);
}

void ComboBinder::Read() {
  const int index = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
  combo_.listIndex = index;
  shownValue = index;
  if (editable_) {
    combo_.text = FromWide(WindowText(hwnd));
    shownText = combo_.text;
  } else if (index >= 0 && static_cast<std::size_t>(index) < combo_.items.size()) {
    combo_.text = combo_.items[static_cast<std::size_t>(index)];
  }
}

void ListBinder::Fill() {
  SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd, LB_RESETCONTENT, 0, 0);
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, font_);
  LONG widest = 0;
  for (const auto& item : list_.items) {
    const std::wstring wide = ToWide(item);
    SendMessageW(hwnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    widest = std::max(widest, size.cx);
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  SendMessageW(hwnd, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
  SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void ListBinder::Refresh(bool first) {
  if (first || list_.items != shownItems_) {
    Fill();
    shownItems_ = list_.items;
    shownValue = -2;
  }
  if (list_.listIndex != shownValue) {
    SendMessageW(hwnd, LB_SETCURSEL, static_cast<WPARAM>(list_.listIndex), 0);
    shownValue = list_.listIndex;
  }
}

void ListBinder::Read() {
  list_.listIndex = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
  shownValue = list_.listIndex;
}

void ProgressBinder::Refresh(bool) {
  if (bar_.min != shownMin_ || bar_.max != shownMax_) {
    SendMessageW(hwnd, PBM_SETRANGE32, static_cast<WPARAM>(bar_.min), bar_.max);
    shownMin_ = bar_.min;
    shownMax_ = bar_.max;
    shownValue = -1;
  }
  if (bar_.value != shownValue) {
    SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(bar_.value), 0);
    shownValue = bar_.value;
  }
}

}  // namespace tarvo
