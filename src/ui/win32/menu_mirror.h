#pragma once
// A window's menu bar built from MenuItem states: captions with their shortcuts, the
// accelerator table of those shortcuts, and the enabled states mirrored on every refresh.
#include <windows.h>

#include <string>
#include <vector>

#include "forms/controls.h"
#include "ui/win32/form_window.h"

namespace tarvo {

struct MenuEntry {
  MenuItem* item;
  int id;  // the command; unused for a separator
};

// One pull-down menu of the bar: its title and its entries in order.
struct MenuColumn {
  MenuItem* title;
  std::vector<MenuEntry> entries;
};

class MenuMirror {
 public:
  // Puts the bar on the window; commands run through the window, only while enabled.
  MenuMirror(FormWindow& window, std::vector<MenuColumn> columns);
  ~MenuMirror();
  MenuMirror(const MenuMirror&) = delete;
  MenuMirror& operator=(const MenuMirror&) = delete;

  // The entry's handler, run when its command comes from the bar or its shortcut.
  void Route(int id, FormWindow::Handler handler);
  void Refresh();

 private:
  bool Enabled(int id) const;
  FormWindow& window_;
  std::vector<MenuColumn> columns_;
  HMENU bar_ = nullptr;
  std::vector<HMENU> popups_;
  HACCEL keys_ = nullptr;
  std::vector<int> shown_;  // enabled states as last shown: titles, then entries, -1 unknown
};

// "Ctrl+A" as an accelerator for the command; false when the text names no key.
bool ParseShortcut(const std::string& shortcut, WORD command, ACCEL& out);

}  // namespace tarvo
