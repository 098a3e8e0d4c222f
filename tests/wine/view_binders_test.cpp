// The disc window's views over real controls: the tree, the report list and the status
// bar follow their states through appends, renames and removals; label edits, drops and
// the menus reach the handlers; shortcuts parse into accelerators.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_ui.h"
#include "ui/win32/form_window.h"
#include "ui/win32/menu_mirror.h"
#include "ui/win32/view_binders.h"

namespace tarvo {
namespace {

class ViewForm : public Form {
 public:
  const char* Name() const override { return "ViewForm"; }
  TreeView tree;
  ListView list;
  StatusBar status;
  MenuItem file, add, sep, remove;
};

TreeNode Folder(const std::string& key, const std::string& parent, const std::string& text) {
  return {key, parent, text, "CLOSEDFOLDER", "OPENFOLDER", false};
}

// "text(child,child)" of the real tree below item, siblings joined by ",".
std::string Shape(HWND tree, HTREEITEM item) {
  std::string out;
  for (; item; item = TreeView_GetNextSibling(tree, item)) {
    wchar_t text[128] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = 128;
    TreeView_GetItem(tree, &info);
    if (!out.empty()) out += ",";
    out += FromWide(text);
    if (HTREEITEM child = TreeView_GetChild(tree, item)) out += "(" + Shape(tree, child) + ")";
  }
  return out;
}

std::string Cell(HWND list, int row, int column) {
  wchar_t text[128] = {};
  ListView_GetItemText(list, row, column, text, 128);
  return FromWide(text);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

class ViewBindersTest : public ::testing::Test {
 protected:
  ViewBindersTest() {
    f.loaded = true;
    f.list.columns = {"File Name", "Size", "Date"};
    f.file.caption = "&File";
    f.add.caption = "Add File";
    f.add.shortcut = "Ctrl+A";
    f.sep.separator = true;
    f.remove.caption = "Remove File";
    ViewEvents tree;
    tree.click = [this](const std::string& key) { seen.push_back("click " + key); };
    tree.beforeEdit = [this](bool& cancel) { cancel = f.tree.selectedKey == "\\"; };
    tree.afterEdit = [this](bool&, const std::string& text) {
      seen.push_back("renamed " + f.tree.selectedKey + " " + text);
    };
    tree.drop = [this](const std::vector<std::string>& paths) { seen.push_back("tree drop " + paths.at(0)); };
    ViewEvents list;
    list.drop = [this](const std::vector<std::string>& paths) { seen.push_back("list drop " + paths.at(1)); };
    w.AddControl(std::make_unique<TreeBinder>(f.tree, images, 20, DluRect{0, 0, 100, 100}, tree), WC_TREEVIEWW,
                 TVS_HASLINES | TVS_EDITLABELS);
    w.AddControl(std::make_unique<ListViewBinder>(f.list, images, 21, DluRect{100, 0, 100, 100}, list), WC_LISTVIEWW,
                 LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS);
    w.AddControl(std::make_unique<StatusBinder>(f.status, std::vector<int>{50, 25, 25}, 22, DluRect{0, 100, 200, 12}),
                 STATUSCLASSNAMEW, CCS_BOTTOM);
    std::vector<MenuColumn> columns{{&f.file, {{&f.add, 30}, {&f.sep, 0}, {&f.remove, 31}}}};
    menus = std::make_unique<MenuMirror>(w, std::move(columns));
    menus->Route(31, [this] { seen.push_back("remove"); });
    f.tree.Add({"\\", "", "New Disc", "CD", "CD", false});
    w.ApplyLayout();
  }

  HWND Tree() { return w.Item(20); }
  HWND List() { return w.Item(21); }
  std::string TreeShape() { return Shape(Tree(), TreeView_GetRoot(Tree())); }

  struct Images {
    HIMAGELIST list = MakeDiscImages(96);
    ~Images() { ImageList_Destroy(list); }
  };
  Images images_;  // outlives the window
  HIMAGELIST images = images_.list;
  Win32Ui ui;
  ViewForm f;
  FormWindow w{f, ui, L"TarvoViewTest", nullptr, 200, 112, WS_OVERLAPPEDWINDOW};
  std::unique_ptr<MenuMirror> menus;
  std::vector<std::string> seen;
};

TEST_F(ViewBindersTest, TreeFollowsAppendsRenamesAndRemovals) {
  f.tree.Add(Folder("\\A", "\\", "A"));
  f.tree.Add(Folder("\\A\\B", "\\A", "B"));
  f.tree.Add(Folder("\\C", "\\", "C"));
  w.Refresh();
  EXPECT_EQ(TreeShape(), "New Disc(A(B),C)");
  f.tree.Rekey("\\A", "\\Z");
  f.tree.Find("\\Z")->text = "Z";
  f.tree.nodes[0].text = "Label";
  w.Refresh();
  EXPECT_EQ(TreeShape(), "Label(Z(B),C)");
  f.tree.Remove("\\Z");
  f.tree.selectedKey = "\\C";
  w.Refresh();
  EXPECT_EQ(TreeShape(), "Label(C)");
  f.tree.selectedKey.clear();
  w.ReadBack();
  EXPECT_EQ(f.tree.selectedKey, "\\C") << "the selection is read back from the control";
  EXPECT_TRUE(seen.empty()) << "changes made by the form are not reported as the user's";
}

TEST_F(ViewBindersTest, LabelEditsAskTheFormBeforeAndAfter) {
  f.tree.Add(Folder("\\A", "\\", "A"));
  f.tree.selectedKey = "\\";
  f.tree.editKey = "\\";
  w.Refresh();
  Pump();
  EXPECT_EQ(TreeView_GetEditControl(Tree()), nullptr) << "the form refused to rename the root";
  f.tree.selectedKey = "\\A";
  f.tree.editKey = "\\A";
  w.Refresh();
  Pump();
  HWND edit = TreeView_GetEditControl(Tree());
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"Renamed");
  TreeView_EndEditLabelNow(Tree(), FALSE);
  Pump();
  EXPECT_EQ(seen, std::vector<std::string>{"renamed \\A Renamed"});
  EXPECT_EQ(TreeShape(), "New Disc(A)") << "the tree shows the new name only when the form renames";
}

TEST_F(ViewBindersTest, ListRowsColumnsAndStatusPanels) {
  f.list.items = {{"\\a.txt", "a.txt", "FILE", {"1.00 KB", "01/02/2026 03:04:05 AM"}}};
  f.status.panels = {"Data Image Size: 0.00 MB", "Files: 1", "Folders: 0"};
  w.Refresh();
  f.list.items.push_back({"\\b.txt", "b.txt", "FILE", {"2.00 KB", "x"}});
  w.Refresh();
  ASSERT_EQ(ListView_GetItemCount(List()), 2);
  EXPECT_EQ(Cell(List(), 0, 0) + "|" + Cell(List(), 0, 1) + "|" + Cell(List(), 1, 0), "a.txt|1.00 KB|b.txt");
  f.list.items.erase(f.list.items.begin());
  w.Refresh();
  ASSERT_EQ(ListView_GetItemCount(List()), 1);
  EXPECT_EQ(Cell(List(), 0, 0), "b.txt");
  wchar_t panel[64] = {};
  SendMessageW(w.Item(22), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(panel));
  EXPECT_EQ(FromWide(panel), "Files: 1");
}

// A drop as Explorer delivers it: a DROPFILES block in global memory.
HDROP MakeDrop(const std::wstring& names) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(drop + 1));
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST_F(ViewBindersTest, DropsReachTheViewThatGotThem) {
  SendMessageW(Tree(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(std::wstring(L"C:\\d\\f\u00e9\0", 7))), 0);
  SendMessageW(List(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(std::wstring(L"C:\\x\0C:\\y z\0", 12))), 0);
  Pump();
  EXPECT_EQ(seen, (std::vector<std::string>{"tree drop C:\\d\\f\xc3\xa9", "list drop C:\\y z"}));
}

TEST_F(ViewBindersTest, MenuStatesAndShortcuts) {
  HMENU popup = GetSubMenu(GetMenu(w.hwnd()), 0);
  wchar_t text[64] = {};
  GetMenuStringW(popup, 30, text, 64, MF_BYCOMMAND);
  EXPECT_EQ(FromWide(text), "Add File\tCtrl+A");
  f.remove.enabled = false;
  w.Refresh();
  EXPECT_TRUE(GetMenuState(popup, 31, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageW(w.hwnd(), WM_COMMAND, 31, 0);
  EXPECT_TRUE(seen.empty()) << "a greyed entry's command does not run";
  f.remove.enabled = true;
  f.file.enabled = false;
  w.Refresh();
  SendMessageW(w.hwnd(), WM_COMMAND, 31, 0);
  EXPECT_TRUE(seen.empty()) << "nor one of a greyed menu, reached by its shortcut";
  f.file.enabled = true;
  w.Refresh();
  SendMessageW(w.hwnd(), WM_COMMAND, 31, 0);
  EXPECT_EQ(seen, std::vector<std::string>{"remove"});

  struct Case {
    const char* text;
    bool ok;
    BYTE virt;
    WORD key;
  };
  const Case cases[] = {{"Ctrl+A", true, FVIRTKEY | FCONTROL, 'A'},
                        {"Ctrl+Shift+t", true, FVIRTKEY | FCONTROL | FSHIFT, 'T'},
                        {"F1", true, FVIRTKEY, VK_F1},
                        {"Alt+F12", true, FVIRTKEY | FALT, VK_F12},
                        {"Meta+A", false, 0, 0},
                        {"Ctrl+", false, 0, 0},
                        {"F13", false, 0, 0}};
  for (const auto& c : cases) {
    ACCEL a{};
    EXPECT_EQ(ParseShortcut(c.text, 7, a), c.ok) << c.text;
    if (c.ok) {
      EXPECT_TRUE(a.fVirt == c.virt && a.key == c.key && a.cmd == 7) << c.text;
    }
  }
}

// Clipboard keys stay with a text box (the label box, a label edit); elsewhere, and for
// other keys, the menu shortcut runs.
TEST_F(ViewBindersTest, ClipboardKeysInATextBoxEditThere) {
  HWND edit = CreateWindowW(L"EDIT", L"label", WS_CHILD, 0, 0, 50, 20, w.hwnd(), nullptr, nullptr, nullptr);
  HWND tree = Tree();
  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  BYTE held[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(held));
  held[VK_CONTROL] = 0x80;
  ASSERT_TRUE(SetKeyboardState(held));
  struct Case {
    HWND target;
    UINT message;
    WPARAM key;
    bool editing;
  };
  const Case cases[] = {{edit, WM_KEYDOWN, 'C', true},  {edit, WM_KEYDOWN, 'X', true},  {edit, WM_KEYDOWN, 'A', true},
                        {edit, WM_KEYDOWN, 'J', false}, {edit, WM_CHAR, 'C', false},    {tree, WM_KEYDOWN, 'C', false}};
  for (const auto& c : cases) {
    const MSG msg{c.target, c.message, c.key, 0, 0, {}};
    EXPECT_EQ(EditingKey(msg), c.editing) << static_cast<char>(c.key) << (c.target == edit ? " in the text box" : "");
  }
  held[VK_CONTROL] = 0;
  ASSERT_TRUE(SetKeyboardState(held));
  EXPECT_FALSE(EditingKey(MSG{edit, WM_KEYDOWN, 'C', 0, 0, {}})) << "C without Ctrl is typing";
  SetKeyboardState(keys);
  DestroyWindow(edit);
}

}  // namespace
}  // namespace tarvo
