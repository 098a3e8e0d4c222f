#include "ui_views.h"

// after windows.h
#include <commctrl.h>
#include <shlobj.h>

#include "ui_kit.h"

namespace uikit {
namespace {

// A block of memory in the program under test.
class Remote {
 public:
  explicit Remote(std::size_t size) : size_(size) {
    at_ = VirtualAllocEx(g_program.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    Check(at_ != nullptr, "memory in the program");
  }
  ~Remote() {
    if (at_ && !kept_) VirtualFreeEx(g_program.hProcess, at_, 0, MEM_RELEASE);
  }
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;
  void Write(const void* data, std::size_t size, std::size_t offset = 0) {
    SIZE_T done = 0;
    if (!WriteProcessMemory(g_program.hProcess, static_cast<char*>(at_) + offset, data, size, &done) || done != size)
      Fail("cannot write the program's memory");
  }
  void Read(void* data, std::size_t size, std::size_t offset = 0) const {
    SIZE_T done = 0;
    if (!ReadProcessMemory(g_program.hProcess, static_cast<const char*>(at_) + offset, data, size, &done) ||
        done != size)
      Fail("cannot read the program's memory");
  }
  char* At(std::size_t offset = 0) const { return static_cast<char*>(at_) + offset; }
  // The program frees it (DragFinish).
  void Keep() { kept_ = true; }

 private:
  void* at_ = nullptr;
  std::size_t size_;
  bool kept_ = false;
};

constexpr std::size_t kTextChars = 512;

std::wstring TreeText(HWND tree, HTREEITEM item, Remote& remote) {
  TVITEMW info{};
  info.mask = TVIF_TEXT | TVIF_HANDLE;
  info.hItem = item;
  info.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof info));
  info.cchTextMax = kTextChars;
  remote.Write(&info, sizeof info);
  Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At()));
  wchar_t text[kTextChars] = {};
  remote.Read(text, sizeof text - sizeof(wchar_t), sizeof info);
  return text;
}

void Walk(HWND tree, HTREEITEM item, const std::wstring& parent, bool root, Remote& remote,
          std::vector<TreeEntry>& out) {
  for (; item; item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                        reinterpret_cast<LPARAM>(item)))) {
    const std::wstring text = TreeText(tree, item, remote);
    const std::wstring path = root ? L"" : (parent.empty() ? text : parent + L"\\" + text);
    out.push_back({item, text, path});
    auto child = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    Walk(tree, child, path, false, remote, out);
  }
}

}  // namespace

std::vector<TreeEntry> TreeEntries(HWND tree) {
  Remote remote(sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
  std::vector<TreeEntry> entries;
  auto root = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  Walk(tree, root, L"", true, remote, entries);
  return entries;
}

bool TreeHas(HWND tree, const std::wstring& path) {
  for (const auto& entry : TreeEntries(tree))
    if (entry.path == path) return true;
  return false;
}

HTREEITEM TreeItem(HWND tree, const std::wstring& path) {
  for (const auto& entry : TreeEntries(tree))
    if (entry.path == path) return entry.item;
  Fail("no folder \"" + Narrow(path) + "\" in the tree");
}

std::vector<std::wstring> ListColumn(HWND list, int column) {
  Remote remote(sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  std::vector<std::wstring> texts;
  const int rows = static_cast<int>(Send(list, LVM_GETITEMCOUNT));
  for (int row = 0; row < rows; ++row) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof item));
    item.cchTextMax = kTextChars;
    remote.Write(&item, sizeof item);
    Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At()));
    wchar_t text[kTextChars] = {};
    remote.Read(text, sizeof text - sizeof(wchar_t), sizeof item);
    texts.emplace_back(text);
  }
  return texts;
}

int RowOf(HWND list, const std::wstring& text) {
  const auto names = ListColumn(list, 0);
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == text) return static_cast<int>(i);
  return -1;
}

void SelectRow(HWND list, int row) {
  Remote remote(sizeof(LVITEMW));
  LVITEMW item{};
  item.state = item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(&item, sizeof item);
  Send(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.At()));
}

std::wstring StatusText(HWND bar, int panel) {
  const auto length = static_cast<std::size_t>(LOWORD(Send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel))));
  Remote remote((length + 1) * sizeof(wchar_t));
  Send(bar, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(remote.At()));
  std::wstring text(length, L'\0');
  if (length) remote.Read(text.data(), length * sizeof(wchar_t));
  return text;
}

void DropFiles(HWND view, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const auto& path : paths) names += path + L'\0';
  names += L'\0';
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  Remote remote(sizeof header + names.size() * sizeof(wchar_t));
  remote.Write(&header, sizeof header);
  remote.Write(names.data(), names.size() * sizeof(wchar_t), sizeof header);
  remote.Keep();
  PostMessageW(view, WM_DROPFILES, reinterpret_cast<WPARAM>(remote.At()), 0);
}

std::wstring AnswerIfShown(int button, DWORD ms) {
  const DWORD until = GetTickCount() + ms;
  while (GetTickCount() < until) {
    if (FindTop(L"Tarvo Outlook Backup")) return AnswerMessage(button);
    Sleep(100);
  }
  return L"";
}

}  // namespace uikit
