#include "platform/win32/win32_ui.h"

#include <windows.h>
// after windows.h
#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "platform/form.h"
#include "platform/win32/wide.h"

#undef MessageBox  // the portable name, not the A/W macro

namespace tarvo {
namespace {

UINT ButtonFlags(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::OkCancel:
      return MB_OKCANCEL;
    case MsgButtons::YesNo:
      return MB_YESNO;
    case MsgButtons::Ok:
      break;
  }
  return MB_OK;
}

UINT IconFlags(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical:
      return MB_ICONERROR;
    case MsgIcon::Question:
      return MB_ICONQUESTION;
    case MsgIcon::Warning:
      return MB_ICONWARNING;
    case MsgIcon::Information:
      return MB_ICONINFORMATION;
    case MsgIcon::None:
      break;
  }
  return 0;
}

}  // namespace

std::wstring DialogFilter(const std::string& filter) {
  std::wstring out = ToWide(filter);
  for (auto& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

std::string DefaultExtension(const std::string& filter) {
  const auto bar = filter.find('|');
  if (bar == std::string::npos) return {};
  std::string pattern = filter.substr(bar + 1);
  pattern = pattern.substr(0, pattern.find_first_of("|;"));
  if (pattern.rfind("*.", 0) != 0) return {};
  const std::string ext = pattern.substr(2);
  return ext.find_first_of("*?") == std::string::npos ? ext : std::string();
}

int Win32Ui::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) {
  Refresh();
  const UINT modality = owner_ ? MB_APPLMODAL : MB_TASKMODAL;
  return MessageBoxW(static_cast<HWND>(owner_), ToWide(text).c_str(), ToWide(caption).c_str(),
                     ButtonFlags(buttons) | IconFlags(icon) | modality);
}

std::optional<std::string> Win32Ui::SaveFileDialog(const FileDialogRequest& request) {
  return FileDialog(request, true);
}

std::optional<std::string> Win32Ui::OpenFileDialog(const FileDialogRequest& request) {
  return FileDialog(request, false);
}

std::optional<std::string> Win32Ui::FileDialog(const FileDialogRequest& request, bool save) {
  Refresh();
  const std::wstring filter = DialogFilter(request.filter);
  const std::wstring title = ToWide(request.title);
  const std::wstring folder = ToWide(request.initialFolder);
  const std::wstring ext = ToWide(DefaultExtension(request.filter));
  std::vector<wchar_t> file(32768, L'\0');  // room for long paths
  const std::wstring proposed = ToWide(request.fileName);
  proposed.copy(file.data(), std::min(proposed.size(), file.size() - 1));

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner_);
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  // The program's paths are absolute; browsing must not move its current folder.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  if (save && request.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (!save) ofn.Flags |= OFN_FILEMUSTEXIST;

  const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) return std::nullopt;
  return FromWide(file.data());
}

std::string Win32Ui::BrowseForFolder(const std::string& title, int flags) {
  // The chooser needs COM on this thread; keep an apartment the program set up.
  const bool comOwned = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  const std::wstring prompt = ToWide(title);
  BROWSEINFOW info{};
  info.hwndOwner = static_cast<HWND>(owner_);
  info.lpszTitle = prompt.c_str();
  info.ulFlags = static_cast<UINT>(flags);
  std::string path;
  if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info)) {
    wchar_t buf[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListW(item, buf)) path = FromWide(buf);
    CoTaskMemFree(item);
  }
  if (comOwned) CoUninitialize();
  return path;
}

void Win32Ui::ShowModal(Form& form) {
  const auto found = forms_.find(form.Name());
  if (found == forms_.end()) {
    form.loaded = false;
    form.visible = false;
    return;
  }
  Refresh();
  found->second(form);
}

void Win32Ui::PumpMessages() {
  Refresh();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the main loop
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Win32Ui::SetBusyCursor(bool busy) {
  busy_ = busy;
  SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

}  // namespace tarvo

namespace tarvo {

int Win32Ui::PopupMenu(const std::vector<std::string>& entries) {
  Refresh();
  HMENU menu = CreatePopupMenu();
  if (!menu) return -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == "-")
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu, MF_STRING, i + 1, ToWide(entries[i]).c_str());
  }
  // The menu belongs to the active window of this thread (the modal one), not to a disabled owner.
  HWND window = GetActiveWindow();
  if (!window) window = static_cast<HWND>(owner_);
  if (window) SetForegroundWindow(window);  // so a click elsewhere closes the menu
  POINT at{};
  GetCursorPos(&at);
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_NONOTIFY;
  const int chosen = static_cast<int>(TrackPopupMenu(menu, flags, at.x, at.y, 0, window, nullptr));
  DestroyMenu(menu);
  return chosen > 0 ? chosen - 1 : -1;
}

}  // namespace tarvo
