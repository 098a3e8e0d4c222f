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

namespace tarvo {

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

  // The restorers, by item; each reads its list from app.state.RestoreLists.
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
  const std::string& List(ItemId item) const;
  std::optional<ZipEntry> RecordEntry(const std::string& name);
  bool ExtractEntry(const std::string& name, const std::string& folder);
  bool ExtractList(const std::string& list, const std::string& folder);
  bool RestoreFolderItem(const std::string& folder, const std::string& list);
  bool RestoreBranch(const std::string& keyPath, const std::string& list);
  bool ExtractRulesAs(const ZipEntry& entry, const std::string& folder, const std::string& targetName);
  void LogProblem(const std::string& text);
  std::string Now();

  App& app_;
  RestoreRequest request_;
  JobSink& sink_;
};

// "The Restore was Completed!" and a line per reported item.
std::string RestoreMessage(const RestoreResult& result);

}  // namespace tarvo
