#pragma once
// Ui for the command-line programs: messages go to an error stream; the dialogs and modal
// forms are answered by whoever drives them (tvo needs none, the Wine forms driver does).
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace tarvo {

class ConsoleUi : public Ui {
 public:
  explicit ConsoleUi(std::ostream& err) : err_(err) {}

  // Answers.
  std::optional<std::string> openFile;  // the file-open dialog's answer, once
  std::optional<std::string> saveFile;  // the save dialog's answer, once
  // Answers a modal form (the password prompt) from the options; unset: nothing shown.
  std::function<void(Form&)> onModal;
  bool confirm = true;  // OK/Yes to every question; false: Cancel/No

  // Every message text shown, in order.
  std::vector<std::string> shown;

  int MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::string BrowseForFolder(const std::string& title, int flags) override;
  void ShowModal(Form& form) override;
  void PumpMessages() override {}
  void SetBusyCursor(bool) override {}
  int PopupMenu(const std::vector<std::string>&) override { return -1; }  // no pop-ups on a console

 private:
  std::ostream& err_;
};

}  // namespace tarvo
