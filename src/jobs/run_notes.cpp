#include "jobs/run_notes.h"

#include <exception>

#include "backup/record_notes.h"
#include "core/item_table.h"

namespace tarvo {
namespace {

std::string Now(App& app) {
  SystemInfo& sys = app.platform.system;
  return sys.GeneralDate(sys.Now());
}

}  // namespace

std::vector<std::string> NoteUnprotectedData(App& app, const BackupRequest& request, JobSink& sink,
                                             const NoteKeys& keys) {
  std::vector<std::string> notes;
  try {
    const bool dataFiles = Chosen(Row(ItemId::Datas), request.boxes);
    const UnprotectedData found = FindUnprotectedData(app.reg, app.platform.files, app.platform.system,
                                                      app.state.env, request.profile, dataFiles, keys);
    for (const std::string& note : UnprotectedDataNotes(found)) notes.push_back(archive::BoundedNote(note));
    if (notes.size() > archive::kMaxNotes) notes.resize(archive::kMaxNotes);
    archive::WriteRecordNotes(app.platform.files, app.state.InfoRecordPath, notes);
  } catch (const std::exception& e) {
    sink.Log(Now(app) + " Could not note in the backup file what it does not protect: " + e.what() + "\n");
  }
  return notes;
}

void LogNotes(App& app, const BackupRequest& request, const std::vector<std::string>& notes, JobSink& sink) {
  if (request.unattended) return;
  for (const std::string& note : notes) sink.Log(Now(app) + " Note: " + note + "\n");
}

std::string NotesText(const std::vector<std::string>& notes) {
  if (notes.empty()) return {};
  std::string text = "\r\n\r\nNot protected by this backup:";
  for (const std::string& note : notes) text += "\r\n- " + note;
  return text;
}

}  // namespace tarvo
