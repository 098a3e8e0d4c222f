#include "support/scripted_ui.h"

namespace tarvo {

namespace {

template <typename T>
T TakeFront(std::deque<T>& queue, T whenEmpty) {
  if (queue.empty()) return whenEmpty;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}

}  // namespace

int ScriptedUi::MessageBox(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon) {
  messages.push_back({text, caption, buttons, icon});
  return TakeFront(answers, kMsgOk);
}

std::optional<std::string> ScriptedUi::SaveFileDialog(const FileDialogRequest& request) {
  saveRequests.push_back(request);
  return TakeFront<std::optional<std::string>>(saveAnswers, std::nullopt);
}

std::optional<std::string> ScriptedUi::OpenFileDialog(const FileDialogRequest& request) {
  openRequests.push_back(request);
  return TakeFront<std::optional<std::string>>(openAnswers, std::nullopt);
}

std::string ScriptedUi::BrowseForFolder(const std::string& title, int flags) {
  folderRequests.push_back({title, flags});
  return TakeFront<std::string>(folderAnswers, "");
}

void ScriptedUi::ShowModal(Form& form) {
  modals.push_back(form.Name());
  if (onModal) onModal(form);
}

void ScriptedUi::PumpMessages() { ++pumps; }

void ScriptedUi::SetBusyCursor(bool on) {
  busy = on;
  busyChanges.push_back(on);
}

int ScriptedUi::PopupMenu(const std::vector<std::string>& entries) {
  popups.push_back(entries);
  return TakeFront(popupAnswers, -1);
}

std::vector<std::string> ScriptedUi::texts() const {
  std::vector<std::string> out;
  for (const auto& m : messages) out.push_back(m.text);
  return out;
}

}  // namespace tarvo
