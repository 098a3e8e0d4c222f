#pragma once
// Reading and working the tree and list views of another process: their item texts live
// there, so the requests go through a buffer allocated in that process.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <string>
#include <vector>

namespace uikit {

// Texts of every tree item, parents before children, as "\"-joined paths below the root:
// the root's own text first ("" path), then "Folder", "Folder\Sub", ...
struct TreeEntry {
  HTREEITEM item;
  std::wstring text, path;
};
std::vector<TreeEntry> TreeEntries(HWND tree);
HTREEITEM TreeItem(HWND tree, const std::wstring& path);  // fails the test when missing
bool TreeHas(HWND tree, const std::wstring& path);
// The texts of one column of a report list view, in row order.
std::vector<std::wstring> ListColumn(HWND list, int column);
// Selects (and focuses) a row as a click does.
void SelectRow(HWND list, int row);
int RowOf(HWND list, const std::wstring& text);  // -1 when missing
// The text of one panel of a status bar.
std::wstring StatusText(HWND bar, int panel);
// Files dropped from Explorer: a WM_DROPFILES whose DROPFILES block lies in the program.
void DropFiles(HWND view, const std::vector<std::wstring>& paths);
// A message box of the program when one shows within ms; its text, or empty.
std::wstring AnswerIfShown(int button, DWORD ms);

}  // namespace uikit
