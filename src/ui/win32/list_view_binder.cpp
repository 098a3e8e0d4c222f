// The report list view and the status bar of the disc window.
#include <algorithm>

#include "platform/win32/wide.h"
#include "ui/win32/view_binders.h"

namespace tarvo {
namespace {

bool SameItem(const ListItem& a, const ListItem& b) {
  return a.key == b.key && a.text == b.text && a.icon == b.icon && a.subItems == b.subItems;
}

void SetSubItem(HWND list, int row, int column, const std::string& text) {
  std::wstring wide = ToWide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

int ListViewBinder::IndexOf(const std::string& key) const {
  for (std::size_t i = 0; i < shown_.size(); ++i)
    if (shown_[i].key == key) return static_cast<int>(i);
  return -1;
}

void ListViewBinder::Insert(std::size_t index) {
  const ListItem& source = list_.items[index];
  std::wstring text = ToWide(source.text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = static_cast<int>(index);
  item.pszText = text.data();
  item.iImage = DiscImageIndex(source.icon);
  const int row = static_cast<int>(SendMessageW(hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  for (std::size_t c = 0; c < source.subItems.size(); ++c)
    SetSubItem(hwnd, row, static_cast<int>(c + 1), source.subItems[c]);
  shown_.push_back(source);
}

void ListViewBinder::Refresh(bool first) {
  pushing_ = true;
  if (first) {
    SendMessageW(hwnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    SendMessageW(hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    for (std::size_t c = 0; c < list_.columns.size(); ++c) {
      std::wstring caption = ToWide(list_.columns[c]);
      LVCOLUMNW column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = c == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT;  // sizes line up on the right
      column.cx = 100;
      column.pszText = caption.data();
      SendMessageW(hwnd, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    AcceptDrops();
    Laid();
  }
  std::size_t same = 0;
  while (same < shown_.size() && same < list_.items.size() && SameItem(shown_[same], list_.items[same])) ++same;
  if (same != shown_.size() || same != list_.items.size()) {
    SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
    if (same != shown_.size()) {  // not only new items at the end
      SendMessageW(hwnd, LVM_DELETEALLITEMS, 0, 0);
      shown_.clear();
      shownSelected_.clear();
      same = 0;
    }
    for (std::size_t i = same; i < list_.items.size(); ++i) Insert(i);
    SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
  }
  if (list_.selectedKey != shownSelected_) {
    LVITEMW clear{};
    clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&clear));
    const int index = IndexOf(list_.selectedKey);
    if (index >= 0) {
      LVITEMW select{};
      select.state = select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageW(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&select));
    }
    shownSelected_ = list_.selectedKey;
  }
  pushing_ = false;
  if (!list_.editKey.empty()) {
    const std::string key = list_.editKey;
    list_.editKey.clear();
    Post([this, key] {
      const int index = IndexOf(key);
      if (index < 0) return;
      SetFocus(hwnd);
      SendMessageW(hwnd, LVM_EDITLABELW, static_cast<WPARAM>(index), 0);
    }, true);
  }
}

// Name, size and date share the width that the vertical scroll bar leaves.
void ListViewBinder::Laid() {
  RECT client{};
  GetClientRect(hwnd, &client);
  const int width = client.right - GetSystemMetrics(SM_CXVSCROLL);
  const int shares[] = {42, 20, 38};
  for (int c = 0; c < 3 && c < static_cast<int>(list_.columns.size()); ++c)
    SendMessageW(hwnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(c), MulDiv(width, shares[c], 100));
}

void ListViewBinder::Read() {
  const int index = static_cast<int>(SendMessageW(hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  const bool shown = index >= 0 && index < static_cast<int>(shown_.size());
  list_.selectedKey = shown ? shown_[static_cast<std::size_t>(index)].key : std::string();
  shownSelected_ = list_.selectedKey;
}

ControlBinder::Handler ListViewBinder::Notify(const NMHDR& header, LRESULT& result) {
  if (pushing_) return nullptr;
  switch (header.code) {
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      const bool selected = (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
      if (!selected || !events_.click || change.iItem < 0 || change.iItem >= static_cast<int>(shown_.size()))
        return nullptr;
      return [this, key = shown_[static_cast<std::size_t>(change.iItem)].key] { events_.click(key); };
    }
    case LVN_BEGINLABELEDITW:
      editing_ = true;
      return nullptr;
    case LVN_ENDLABELEDITW:
      EndLabelEdit(reinterpret_cast<const NMLVDISPINFOW&>(header).item.pszText, result);
      return nullptr;
    case NM_RCLICK:
      return RightClick(result);
    default:
      return nullptr;
  }
}

// --- status bar ---

void StatusBinder::Laid() {
  SendMessageW(hwnd, WM_SIZE, 0, 0);  // to the bottom of the window, full width
  RECT client{};
  GetClientRect(hwnd, &client);
  std::vector<int> rights;
  int share = 0;
  for (std::size_t i = 0; i + 1 < widths_.size(); ++i) {
    share += widths_[i];
    rights.push_back(MulDiv(client.right, share, 100));
  }
  rights.push_back(-1);
  SendMessageW(hwnd, SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
  shownPanels_.clear();
}

void StatusBinder::Refresh(bool first) {
  if (first) Laid();
  for (std::size_t i = 0; i < bar_.panels.size() && i < widths_.size(); ++i) {
    if (i < shownPanels_.size() && shownPanels_[i] == bar_.panels[i]) continue;
    SendMessageW(hwnd, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(ToWide(bar_.panels[i]).c_str()));
  }
  shownPanels_ = bar_.panels;
}

}  // namespace tarvo
