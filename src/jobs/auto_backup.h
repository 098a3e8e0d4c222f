#pragma once
// The automatic backup: the unattended run the scheduled task starts with
// "sf=PROFILExm=MASKps=PASSWORDbf=FILE" on its command line.
#include "jobs/app.h"
#include "jobs/job_sink.h"

namespace tarvo {

// Runs the backup that app.state.CommandLine asks for; false when the command line does
// not hold one, and then nothing is touched.
bool RunAutomaticBackup(App& app, JobSink& sink);

}  // namespace tarvo
