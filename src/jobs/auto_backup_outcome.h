#pragma once
// What an automatic run leaves behind besides its archive: the removal of old dated
// archives and the record of its outcome for the next interactive start.
#include <string>

#include "jobs/app.h"
#include "core/last_run.h"

namespace tarvo {

struct AutoRunFacts {
  std::string profile, archive;
  std::string chosen;  // one "1"/"0" per collector, as ItemFlags
  std::string flags;   // ItemFlags
  bool kept = false;   // the new archive is complete (and checked) and in place
  bool checkFailed = false;
  std::string error;  // why the archive was not kept
  std::string notRun;  // why the run wrote nothing at all (the profile is gone, the archive busy)
};

// The outcome of this run; the last success is carried over from previous.
LastRun AutoRunOutcome(const AutoRunFacts& facts, const LastRun* previous, const std::string& time,
                       const std::string& stamp);

// Records the outcome in the data folder; a record that cannot be written goes to the log.
void RecordAutoRun(App& app, const AutoRunFacts& facts);

// With dated names on and "keepdated" above 0, removes the oldest dated archives of plain
// beyond that number, each removal logged.
void PruneAfterAutoRun(App& app, const std::string& plain);

}  // namespace tarvo
