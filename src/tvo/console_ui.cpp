#include "tvo/console_ui.h"

namespace tarvo {

namespace {

const char* IconWord(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical: return "error";
    case MsgIcon::Warning: return "warning";
    default: return "note";
  }
}

// Message texts use CR LF and TABs for the window; a terminal wants plain lines.
std::string ForTerminal(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

}  // namespace

int ConsoleUi::MessageBox(const std::string& text, const std::string&, MsgButtons buttons, MsgIcon icon) {
  shown.push_back(text);
  err_ << "tvo: " << IconWord(icon) << ": " << ForTerminal(text) << "\n";
  if (buttons == MsgButtons::YesNo) return confirm ? kMsgYes : kMsgNo;
  if (buttons == MsgButtons::OkCancel) return confirm ? kMsgOk : kMsgCancel;
  return kMsgOk;
}

std::optional<std::string> ConsoleUi::SaveFileDialog(const FileDialogRequest&) {
  auto answer = std::move(saveFile);
  saveFile.reset();
  return answer;
}

std::optional<std::string> ConsoleUi::OpenFileDialog(const FileDialogRequest&) {
  auto answer = std::move(openFile);
  openFile.reset();
  return answer;
}

std::string ConsoleUi::BrowseForFolder(const std::string&, int) { return {}; }

void ConsoleUi::ShowModal(Form& form) {
  if (onModal) onModal(form);
}

}  // namespace tarvo
