#pragma once
// Portable control state. The Win32 layer mirrors these into real controls and routes
// their events to the forms' handlers; tests read and drive them directly.
#include <string>
#include <vector>

#include "platform/form.h"

namespace tarvo {

enum class BackColor { Window, ScrollBar };

struct Control {
  bool enabled = true;
  bool visible = true;
  std::string tooltip;
};

struct CheckBox : Control {
  std::string caption;
  int value = 0;  // 0 unchecked, 1 checked
  bool checked() const { return value == 1; }
};

struct OptionButton : Control {
  std::string caption;
  bool value = false;
};

struct Button : Control {
  std::string caption;
};

struct Label : Control {
  std::string caption;
};

struct TextBox : Control {
  std::string text;
  bool password = false;  // input masked with "*"
  bool multiLine = false;
  BackColor backColor = BackColor::Window;
};

struct ComboBox : Control {
  std::vector<std::string> items;
  std::string text;
  int listIndex = -1;
  void AddItem(const std::string& item) { items.push_back(item); }
  void Clear() {
    items.clear();
    text.clear();
    listIndex = -1;
  }
};

struct ListBox : Control {
  std::vector<std::string> items;
  int listIndex = -1;
};

struct ProgressBar : Control {
  int min = 0, max = 100, value = 0;
  // Out-of-range values are refused by the real control; keep the bar within its range.
  void Set(int v) { value = v < min ? min : (v > max ? max : v); }
  void Add(int step) { Set(value + step); }
};

struct TabStrip : Control {
  std::vector<std::string> captions;
  int tab = 0;
};

}  // namespace tarvo
