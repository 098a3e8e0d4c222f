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

// A menu entry; separators have an empty caption. shortcut: the accelerator as shown
// ("Ctrl+A"), empty for none.
struct MenuItem : Control {
  std::string caption;
  std::string shortcut;
  bool separator = false;
};

struct TreeNode {
  std::string key, parentKey;  // parentKey empty for a top node
  std::string text;
  std::string image, selectedImage;  // keys into the window's image list
  bool expanded = false;
};

// Nodes in insertion order, a parent before its children. The real control mirrors the
// nodes by key; editKey asks it to start editing that node's label.
struct TreeView : Control {
  std::vector<TreeNode> nodes;
  std::string selectedKey;  // empty: no node selected
  std::string editKey;      // set by the form, cleared by the window once editing starts
  TreeNode* Find(const std::string& key);
  void Add(TreeNode node) { nodes.push_back(std::move(node)); }
  // Removes the node and everything below it.
  void Remove(const std::string& key);
  // The node keyed `from` and its descendants take keys under `to`.
  void Rekey(const std::string& from, const std::string& to);
  void Clear() {
    nodes.clear();
    selectedKey.clear();
    editKey.clear();
  }
};

struct ListItem {
  std::string key, text, icon;
  std::vector<std::string> subItems;  // the columns after the first
};

// A report view: columns, items in order, one selection, label editing of the first column.
struct ListView : Control {
  std::vector<std::string> columns;
  std::vector<ListItem> items;
  std::string selectedKey;
  std::string editKey;
  void Clear() {
    items.clear();
    selectedKey.clear();
    editKey.clear();
  }
};

struct StatusBar : Control {
  std::vector<std::string> panels;
};

}  // namespace tarvo
