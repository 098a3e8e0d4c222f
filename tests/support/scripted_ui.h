#pragma once
// Ui double: records what the program shows and answers from scripted queues.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/ui.h"

namespace tarvo {

struct ShownMessage {
  std::string text;
  std::string caption;
  MsgButtons buttons = MsgButtons::Ok;
  MsgIcon icon = MsgIcon::None;
};

struct FolderRequest {
  std::string title;
  int flags = 0;
};

class ScriptedUi : public Ui {
 public:
  // Records.
  std::vector<ShownMessage> messages;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<FileDialogRequest> openRequests;
  std::vector<FolderRequest> folderRequests;
  std::vector<std::string> modals;  // Name() of each form shown modally
  int pumps = 0;
  bool busy = false;
  std::vector<bool> busyChanges;
  std::vector<std::vector<std::string>> popups;  // the entries of each pop-up menu shown

  // Answers, taken from the front. Empty queues: kMsgOk, cancelled dialogs, "" folder.
  std::deque<int> answers;
  std::deque<std::optional<std::string>> saveAnswers;
  std::deque<std::optional<std::string>> openAnswers;
  std::deque<std::string> folderAnswers;
  std::function<void(Form&)> onModal;
  std::deque<int> popupAnswers;  // the index chosen; empty: -1, nothing chosen

  int MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) override;
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) override;
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) override;
  std::string BrowseForFolder(const std::string& title, int flags) override;
  void ShowModal(Form& form) override;
  void PumpMessages() override;
  void SetBusyCursor(bool on) override;
  int PopupMenu(const std::vector<std::string>& entries) override;

  // The texts of all messages shown so far, in order.
  std::vector<std::string> texts() const;
};

}  // namespace tarvo
