#include "ui/win32/menu_mirror.h"

#include <cctype>
#include <cstdlib>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

bool IsSeparator(const MenuItem& item) { return item.separator || item.caption.empty() || item.caption == "-"; }

std::wstring MenuText(const MenuItem& item) {
  return ToWide(item.shortcut.empty() ? item.caption : item.caption + "\t" + item.shortcut);
}

}  // namespace

bool ParseShortcut(const std::string& shortcut, WORD command, ACCEL& out) {
  out = ACCEL{FVIRTKEY, 0, command};
  std::string rest = shortcut;
  for (;;) {
    const auto plus = rest.find('+');
    if (plus == std::string::npos || plus + 1 == rest.size()) break;
    const std::string modifier = rest.substr(0, plus);
    if (modifier == "Ctrl") out.fVirt |= FCONTROL;
    else if (modifier == "Shift") out.fVirt |= FSHIFT;
    else if (modifier == "Alt") out.fVirt |= FALT;
    else return false;
    rest = rest.substr(plus + 1);
  }
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    out.key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(rest[0])));
    return true;
  }
  if (rest.size() >= 2 && rest[0] == 'F') {
    const int n = std::atoi(rest.c_str() + 1);
    if (n >= 1 && n <= 12) {
      out.key = static_cast<WORD>(VK_F1 + n - 1);
      return true;
    }
  }
  return false;
}

MenuMirror::MenuMirror(FormWindow& window, std::vector<MenuColumn> columns)
    : window_(window), columns_(std::move(columns)) {
  bar_ = CreateMenu();
  std::vector<ACCEL> keys;
  for (const auto& column : columns_) {
    HMENU popup = CreatePopupMenu();
    for (const auto& entry : column.entries) {
      if (IsSeparator(*entry.item)) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        continue;
      }
      AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(entry.id), MenuText(*entry.item).c_str());
      ACCEL key{};
      if (!entry.item->shortcut.empty() && ParseShortcut(entry.item->shortcut, static_cast<WORD>(entry.id), key))
        keys.push_back(key);
    }
    AppendMenuW(bar_, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), ToWide(column.title->caption).c_str());
    popups_.push_back(popup);
  }
  SetMenu(window_.hwnd(), bar_);
  if (!keys.empty()) {
    keys_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
    window_.SetAccelerators(keys_);
  }
  window_.OnRefresh([this] { Refresh(); });
}

MenuMirror::~MenuMirror() {
  window_.SetAccelerators(nullptr);
  if (keys_) DestroyAcceleratorTable(keys_);
}

// Entries of a greyed pull-down stay out of reach of their shortcuts as well.
bool MenuMirror::Enabled(int id) const {
  for (const auto& column : columns_)
    for (const auto& entry : column.entries)
      if (entry.id == id) return column.title->enabled && entry.item->enabled;
  return false;
}

void MenuMirror::Route(int id, FormWindow::Handler handler) {
  window_.OnCommand(id, [this, id, handler = std::move(handler)] {
    if (Enabled(id)) handler();
  });
}

void MenuMirror::Refresh() {
  std::vector<int> now;
  for (const auto& column : columns_) now.push_back(column.title->enabled ? 1 : 0);
  for (const auto& column : columns_)
    for (const auto& entry : column.entries) now.push_back(entry.item->enabled ? 1 : 0);
  if (now == shown_) return;
  std::size_t at = 0;
  for (std::size_t c = 0; c < columns_.size(); ++c, ++at)
    EnableMenuItem(bar_, static_cast<UINT>(c), MF_BYPOSITION | (now[at] ? MF_ENABLED : MF_GRAYED));
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    for (const auto& entry : columns_[c].entries) {
      if (!IsSeparator(*entry.item))
        EnableMenuItem(popups_[c], static_cast<UINT>(entry.id), MF_BYCOMMAND | (now[at] ? MF_ENABLED : MF_GRAYED));
      ++at;
    }
  }
  DrawMenuBar(window_.hwnd());
  shown_ = std::move(now);
}

}  // namespace tarvo
