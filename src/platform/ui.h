#pragma once
// Everything the portable forms ask of the user's screen.
#include <optional>
#include <string>
#include <vector>

namespace tarvo {

enum class MsgIcon { None, Critical, Question, Warning, Information };
enum class MsgButtons { Ok, OkCancel, YesNo };
constexpr int kMsgOk = 1;
constexpr int kMsgCancel = 2;
constexpr int kMsgYes = 6;
constexpr int kMsgNo = 7;

struct FileDialogRequest {
  std::string title;
  std::string filter;         // "Description (*.ext)|*.ext"
  std::string initialFolder;
  std::string fileName;       // proposed name
  bool overwritePrompt = false;
};

class Form;

class Ui {
 public:
  virtual ~Ui() = default;
  virtual int MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) = 0;
  // nullopt when cancelled.
  virtual std::optional<std::string> SaveFileDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> OpenFileDialog(const FileDialogRequest& request) = 0;
  // Empty text when cancelled.
  virtual std::string BrowseForFolder(const std::string& title, int flags) = 0;
  // Shows a portable form modally; returns when the form has been unloaded.
  virtual void ShowModal(Form& form) = 0;
  // Lets pending window messages run, so captions and progress stay current.
  virtual void PumpMessages() = 0;
  virtual void SetBusyCursor(bool busy) = 0;
  // Pops up a menu of these entries ("-" for a separator) at the mouse and waits; the
  // index of the chosen entry, -1 when none was chosen.
  virtual int PopupMenu(const std::vector<std::string>& entries) = 0;
};

}  // namespace tarvo
