#pragma once
// One restore of the archive opened on the restore tab (app.state.SourceArchive) into a
// profile. The window and `tvo restore` run it.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/item_table.h"
#include "jobs/app.h"
#include "jobs/backup_job.h"
#include "jobs/job_sink.h"
#include "jobs/restore_plan.h"

namespace tarvo {

struct JournalFile;
struct RestoreJournal;

struct RestoreRequest {
  std::string targetProfile;
  std::array<bool, kBoxCount> boxes{};
};

struct RestoreResult {
  std::vector<ItemResult> items;  // the items run, in run order
};

const Refusal* RefuseRestore(const AppState& state, const RestoreRequest& request);

class RestoreJob {
 public:
  RestoreJob(App& app, const RestoreRequest& request, JobSink& sink);
  RestoreResult Run();

  // The restorers, by item; each reads its list from app.state.RestoreLists and restores
  // its item alone, as Run restores all the chosen ones: all or nothing.
  bool RestoreConfig(const std::string& target);
  bool RestoreRules(const std::string& target);
  bool RestoreAccounts(const std::string& target);
  bool RestoreSignatures();
  bool RestoreStationery();
  bool RestorePab(const std::string& target);
  bool RestoreConfigsetting();
  bool RestoreTemplates();
  bool RestoreSetting();
  bool RestoreContacts();
  bool RestoreDatas(const std::string& target);
  bool Restore(ItemId item);

 private:
  // Plans, stages and commits the items (in run order) into target: true when all of them
  // are in place, false when nothing was changed or all of it was put back.
  bool Transact(const std::vector<ItemId>& items, const std::string& target);
  // Planning: finds and checks what each item needs; false with plan.problem set.
  bool PlanItem(ItemId item, const std::string& target, RestorePlan& plan);
  bool PlanImport(ItemId item, const std::string& keyPath, RestorePlan& plan);
  bool PlanFiles(ItemId item, const std::string& folder, RestorePlan& plan);
  bool PlanFileAs(ItemId item, const std::string& recordName, const std::string& folder, const std::string& name,
                  RestorePlan& plan);
  bool PlanStationery(RestorePlan& plan);
  std::optional<ZipEntry> PlannedEntry(const std::string& recordName, RestorePlan& plan);
  // Staging: every planned file into a checked work file beside its target.
  bool Stage(RestorePlan& plan, RestoreJournal& journal);
  bool MakeWorkFiles(RestorePlan& plan, RestoreJournal& journal);
  bool PrepareCommit(RestorePlan& plan, RestoreJournal& journal);
  // Committing: each item in order; the registry items, the files, then the repointing.
  bool CommitItem(ItemId item, const std::string& target, RestorePlan& plan, RestoreJournal& journal);
  bool Install(const JournalFile& file, std::string& problem);
  bool RepointDataFiles(const std::string& target);
  bool RepointAddressBooks(const std::string& target);
  bool Abandon(RestoreJournal& journal, const std::string& why);
  void Finish(RestoreJournal& journal);

  const std::string& List(ItemId item) const;
  void LogProblem(const std::string& text);
  std::string Now();

  App& app_;
  RestoreRequest request_;
  JobSink& sink_;
};

// "The Restore was Completed!" and a line per reported item.
std::string RestoreMessage(const RestoreResult& result);

}  // namespace tarvo
