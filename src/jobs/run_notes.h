#pragma once
// The notes of a backup run: what the backup does not protect, found before the record
// is closed, kept in the record, and told after the run's own log entries and summary.
#include <string>
#include <vector>

#include "jobs/app.h"
#include "jobs/backup_job.h"
#include "jobs/job_sink.h"
#include "outlook/unprotected_data.h"

namespace tarvo {

// Finds the notes and appends them to the run's record (app.state.InfoRecordPath). Never
// throws: what could not be looked at or written is logged, and the run goes on.
std::vector<std::string> NoteUnprotectedData(App& app, const BackupRequest& request, JobSink& sink,
                                             const NoteKeys& keys = {});
// One log entry per note, after the run's entries; the automatic run keeps them in the
// record only.
void LogNotes(App& app, const BackupRequest& request, const std::vector<std::string>& notes, JobSink& sink);
// The lines the closing message gains; empty without notes, so the message stays as it was.
std::string NotesText(const std::vector<std::string>& notes);

}  // namespace tarvo
