#pragma once
// Binders of the views of the disc window: a tree view, a report list view and a status
// bar. The views take files dropped from Explorer and report label edits and clicks.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <deque>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/win32/control_binders.h"

namespace tarvo {

// What a view reports to its form; empty members are not reported.
struct ViewEvents {
  std::function<void(const std::string& key)> click;
  std::function<void(bool& cancel)> beforeEdit;
  std::function<void(bool& cancel, const std::string& text)> afterEdit;
  std::function<void(int button)> mouseDown;
  std::function<void(const std::vector<std::string>& paths)> drop;
};

// Common to both views: events that must wait until the control's notification has
// returned (label edits end, drops, starting an edit) go through kDeferredEvent.
class ViewBinder : public ControlBinder {
 public:
  ViewBinder(Control* state, int id, DluRect r, ViewEvents events)
      : ControlBinder(state, id, r, {}, nullptr), events_(std::move(events)) {}
  ~ViewBinder() override;
  Handler Deferred() override;

 protected:
  // direct: run by the binder itself, outside a handler (starting a label edit, whose
  // begin notification runs a handler of its own).
  void Post(Handler h, bool direct = false);
  // Explorer's drops on this control (WM_DROPFILES) reach events_.drop.
  void AcceptDrops();
  // A label edit's end, taken once (Wine notifies it twice): the new text (null when the
  // edit was dropped) goes to afterEdit once the notification has returned. The control
  // keeps its old text; the form's rename puts the new one in.
  void EndLabelEdit(const wchar_t* text, LRESULT& result);
  // A right click: the form's mouse-down with button 2, and no WM_CONTEXTMENU as well.
  Handler RightClick(LRESULT& result);
  ViewEvents events_;
  bool pushing_ = false;  // notifications caused by Refresh are not the user's
  bool editing_ = false;  // a label edit runs; its end may be notified twice

 private:
  static LRESULT CALLBACK DropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  std::deque<std::pair<Handler, bool>> pending_;
};

class TreeBinder : public ViewBinder {
 public:
  TreeBinder(TreeView& tree, HIMAGELIST images, int id, DluRect r, ViewEvents events)
      : ViewBinder(&tree, id, r, std::move(events)), tree_(tree), images_(images) {}
  void Read() override;
  Handler Notify(const NMHDR& header, LRESULT& result) override;

 protected:
  void Refresh(bool first) override;

 private:
  void Rebuild();
  void Append(std::size_t from);
  bool UpdateInPlace();
  void Expand();
  HTREEITEM Insert(const TreeNode& node);
  std::string KeyOf(HTREEITEM item) const;
  HTREEITEM ItemOf(const std::string& key) const;
  TreeView& tree_;
  HIMAGELIST images_;
  std::vector<TreeNode> shown_;
  std::vector<std::string> keys_;  // by the items' lParam
  std::unordered_map<std::string, HTREEITEM> items_;
  std::string shownSelected_;
};

class ListViewBinder : public ViewBinder {
 public:
  ListViewBinder(ListView& list, HIMAGELIST images, int id, DluRect r, ViewEvents events)
      : ViewBinder(&list, id, r, std::move(events)), list_(list), images_(images) {}
  void Read() override;
  Handler Notify(const NMHDR& header, LRESULT& result) override;
  void Laid() override;

 protected:
  void Refresh(bool first) override;

 private:
  void Insert(std::size_t index);
  int IndexOf(const std::string& key) const;
  ListView& list_;
  HIMAGELIST images_;
  std::vector<ListItem> shown_;
  std::string shownSelected_;
};

class StatusBinder : public ControlBinder {
 public:
  // widths: the panels' shares of the bar in percent, the last one takes the rest.
  StatusBinder(StatusBar& bar, std::vector<int> widths, int id, DluRect r)
      : ControlBinder(&bar, id, r, {}, nullptr), bar_(bar), widths_(std::move(widths)) {}
  void Laid() override;

 protected:
  void Refresh(bool first) override;

 private:
  StatusBar& bar_;
  std::vector<int> widths_;
  std::vector<std::string> shownPanels_;
};

// The images of the disc window, in this order: "CD", "CLOSEDFOLDER", "OPENFOLDER",
// "FILE"; drawn at run time for the window's DPI.
HIMAGELIST MakeDiscImages(UINT dpi);
// The index of an image key, -1 for an unknown key.
int DiscImageIndex(const std::string& key);

}  // namespace tarvo
