#include "ui/win32/view_binders.h"

#include <shellapi.h>

#include "platform/win32/wide.h"

namespace tarvo {
namespace {

constexpr UINT_PTR kDropSubclass = 0x7464;  // 'td'

bool SameNode(const TreeNode& a, const TreeNode& b) {
  return a.key == b.key && a.parentKey == b.parentKey && a.text == b.text && a.image == b.image &&
         a.selectedImage == b.selectedImage;
}

int ImageOr(const std::string& key, int fallback) {
  const int index = DiscImageIndex(key);
  return index < 0 ? fallback : index;
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(FromWide(path));
  }
  return paths;
}

}  // namespace

ViewBinder::~ViewBinder() {
  if (hwnd && events_.drop) RemoveWindowSubclass(hwnd, DropProc, kDropSubclass);
}

void ViewBinder::Post(Handler h, bool direct) {
  pending_.emplace_back(std::move(h), direct);
  PostMessageW(GetParent(hwnd), kDeferredEvent, static_cast<WPARAM>(id), 0);
}

ControlBinder::Handler ViewBinder::Deferred() {
  if (pending_.empty()) return nullptr;
  auto [h, direct] = std::move(pending_.front());
  pending_.pop_front();
  if (!direct) return h;
  h();
  return nullptr;
}

void ViewBinder::EndLabelEdit(const wchar_t* text, LRESULT& result) {
  const bool ended = editing_;
  editing_ = false;
  if (ended && text && events_.afterEdit) {
    Post([this, typed = FromWide(text)] {
      bool cancel = false;
      events_.afterEdit(cancel, typed);
    });
  }
  result = FALSE;
}

ControlBinder::Handler ViewBinder::RightClick(LRESULT& result) {
  result = TRUE;
  if (!events_.mouseDown) return nullptr;
  return [this] { events_.mouseDown(2); };
}

void ViewBinder::AcceptDrops() {
  if (!events_.drop) return;
  DragAcceptFiles(hwnd, TRUE);
  SetWindowSubclass(hwnd, DropProc, kDropSubclass, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK ViewBinder::DropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  if (message != WM_DROPFILES) return DefSubclassProc(window, message, wParam, lParam);
  auto* binder = reinterpret_cast<ViewBinder*>(self);
  const auto drop = reinterpret_cast<HDROP>(wParam);
  std::vector<std::string> paths = DroppedPaths(drop);
  DragFinish(drop);
  if (!paths.empty() && IsWindowEnabled(window))
    binder->Post([binder, paths = std::move(paths)] { binder->events_.drop(paths); });
  return 0;
}

// --- tree ---

std::string TreeBinder::KeyOf(HTREEITEM item) const {
  if (!item) return {};
  TVITEMW info{};
  info.mask = TVIF_PARAM | TVIF_HANDLE;
  info.hItem = item;
  if (!SendMessageW(hwnd, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) return {};
  const auto index = static_cast<std::size_t>(info.lParam);
  return index < keys_.size() ? keys_[index] : std::string();
}

HTREEITEM TreeBinder::ItemOf(const std::string& key) const {
  const auto found = items_.find(key);
  return found == items_.end() ? nullptr : found->second;
}

HTREEITEM TreeBinder::Insert(const TreeNode& node) {
  std::wstring text = ToWide(node.text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = node.parentKey.empty() ? TVI_ROOT : ItemOf(node.parentKey);
  if (!insert.hParent) insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = text.data();
  insert.item.iImage = ImageOr(node.image, 1);
  insert.item.iSelectedImage = ImageOr(node.selectedImage.empty() ? node.image : node.selectedImage, 1);
  insert.item.lParam = static_cast<LPARAM>(keys_.size());
  auto item = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  keys_.push_back(node.key);
  if (item) items_[node.key] = item;
  return item;
}

void TreeBinder::Rebuild() {
  SendMessageW(hwnd, WM_SETREDRAW, FALSE, 0);
  SendMessageW(hwnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  keys_.clear();
  items_.clear();
  shown_.clear();
  shownSelected_.clear();
  Append(0);
  SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void TreeBinder::Append(std::size_t from) {
  for (std::size_t i = from; i < tree_.nodes.size(); ++i) {
    Insert(tree_.nodes[i]);
    shown_.push_back(tree_.nodes[i]);
    shown_.back().expanded = false;
  }
}

// Same nodes in the same places: only texts and images changed.
bool TreeBinder::UpdateInPlace() {
  if (shown_.size() != tree_.nodes.size()) return false;
  for (std::size_t i = 0; i < shown_.size(); ++i)
    if (shown_[i].key != tree_.nodes[i].key || shown_[i].parentKey != tree_.nodes[i].parentKey) return false;
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    const TreeNode& node = tree_.nodes[i];
    if (SameNode(shown_[i], node)) continue;
    std::wstring text = ToWide(node.text);
    TVITEMW item{};
    item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = ItemOf(node.key);
    item.pszText = text.data();
    item.iImage = ImageOr(node.image, 1);
    item.iSelectedImage = ImageOr(node.selectedImage.empty() ? node.image : node.selectedImage, 1);
    SendMessageW(hwnd, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    const bool expanded = shown_[i].expanded;
    shown_[i] = node;
    shown_[i].expanded = expanded;
  }
  return true;
}

// A node the form expands is expanded again once it has children; one it collapses, collapsed.
void TreeBinder::Expand() {
  for (std::size_t i = 0; i < tree_.nodes.size(); ++i) {
    const bool want = tree_.nodes[i].expanded;
    if (!want && !shown_[i].expanded) continue;
    if (HTREEITEM item = ItemOf(tree_.nodes[i].key))
      SendMessageW(hwnd, TVM_EXPAND, want ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    shown_[i].expanded = want;
  }
}

void TreeBinder::Refresh(bool first) {
  pushing_ = true;
  if (first) {
    SendMessageW(hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
    AcceptDrops();
  }
  std::size_t same = 0;
  while (same < shown_.size() && same < tree_.nodes.size() && SameNode(shown_[same], tree_.nodes[same])) ++same;
  const bool changed = same != shown_.size() || same != tree_.nodes.size();
  if (same == shown_.size())
    Append(same);
  else if (!UpdateInPlace())
    Rebuild();
  if (changed || first) Expand();
  if (tree_.selectedKey != shownSelected_) {
    SendMessageW(hwnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(ItemOf(tree_.selectedKey)));
    shownSelected_ = tree_.selectedKey;
  }
  pushing_ = false;
  if (!tree_.editKey.empty()) {
    const std::string key = tree_.editKey;
    tree_.editKey.clear();
    Post([this, key] {
      SetFocus(hwnd);
      SendMessageW(hwnd, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(ItemOf(key)));
    }, true);
  }
}

void TreeBinder::Read() {
  auto caret = reinterpret_cast<HTREEITEM>(SendMessageW(hwnd, TVM_GETNEXTITEM, TVGN_CARET, 0));
  tree_.selectedKey = KeyOf(caret);
  shownSelected_ = tree_.selectedKey;
}

ControlBinder::Handler TreeBinder::Notify(const NMHDR& header, LRESULT& result) {
  if (pushing_) return nullptr;
  switch (header.code) {
    case TVN_SELCHANGEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      if (change.action == TVC_UNKNOWN || !events_.click) return nullptr;
      return [this, key = KeyOf(change.itemNew.hItem)] { events_.click(key); };
    }
    case TVN_ITEMEXPANDEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      const std::string key = KeyOf(change.itemNew.hItem);
      const bool open = (change.itemNew.state & TVIS_EXPANDED) != 0;
      if (TreeNode* node = tree_.Find(key)) node->expanded = open;
      for (auto& node : shown_)
        if (node.key == key) node.expanded = open;
      return nullptr;
    }
    case TVN_BEGINLABELEDITW:
      editing_ = true;
      if (!events_.beforeEdit) return nullptr;
      return [this, &result] {
        bool cancel = false;
        events_.beforeEdit(cancel);
        result = cancel ? TRUE : FALSE;
        editing_ = !cancel;
      };
    case TVN_ENDLABELEDITW:
      EndLabelEdit(reinterpret_cast<const NMTVDISPINFOW&>(header).item.pszText, result);
      return nullptr;
    case NM_RCLICK:
      return RightClick(result);
    default:
      return nullptr;
  }
}

}  // namespace tarvo
