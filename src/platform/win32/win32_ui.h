#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarvo {

// Message boxes, common dialogs and the folder chooser of the running Windows. Real
// windows for the portable forms are plugged in per form name by the window layer.
class Win32Ui : public Ui {
 public:
  using ShowForm = std::function<void(Form&)>;

  // The window that owns message boxes and dialogs (an HWND); null for none.
  void SetOwner(void* window) { owner_ = window; }
  void* Owner() const { return owner_; }
  // Run before pending messages are let through and before a message box or dialog shows,
  // so the windows show the forms' current state.
  void SetRefresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }
  // Shows the form named name (Form::Name()) modally.
  void RegisterForm(const std::string& name, ShowForm show) { forms_[name] = std::move(show); }
  // The window layer answers WM_SETCURSOR with the hourglass while this is true.
  bool Busy() const { return busy_; }

  int MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::string BrowseForFolder(const std::string& title, int flags) override;
  // A form without a registered window is not shown and stays unloaded.
  void ShowModal(Form& form) override;
  void PumpMessages() override;
  void SetBusyCursor(bool busy) override;
  int PopupMenu(const std::vector<std::string>& entries) override;

 private:
  std::optional<std::string> FileDialog(const FileDialogRequest& request, bool save);

  void Refresh() {
    if (refresh_) refresh_();
  }

  void* owner_ = nullptr;
  std::function<void()> refresh_;
  bool busy_ = false;
  std::map<std::string, ShowForm> forms_;
};

// "Desc|*.ext|Desc2|*.b" as the common dialog wants it: NUL between the parts, two at the end.
std::wstring DialogFilter(const std::string& filter);
// The extension of the filter's first pattern ("tvo" for "...|*.tvo"), empty for "*.*".
std::string DefaultExtension(const std::string& filter);

}  // namespace tarvo
