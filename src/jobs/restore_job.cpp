#include "jobs/restore_job.h"

#include <algorithm>

#include "backup/archive_record.h"

namespace tarvo {

const Refusal* RefuseRestore(const AppState& state, const RestoreRequest& request) {
  static const Refusal kNoArchive{"Invalid backup file.", true};
  static const Refusal kNoItem{"Please select at least one item.", false};
  if (state.NoArchiveLoaded) return &kNoArchive;
  for (bool box : request.boxes)
    if (box) return nullptr;
  return &kNoItem;
}

RestoreJob::RestoreJob(App& app, const RestoreRequest& request, JobSink& sink)
    : app_(app), request_(request), sink_(sink) {}

std::string RestoreJob::Now() {
  SystemInfo& sys = app_.platform.system;
  return sys.GeneralDate(sys.Now());
}

// The chosen items that the archive holds, in run order.
static std::vector<ItemId> ItemsToRun(const AppState& st, const RestoreRequest& request) {
  std::vector<ItemId> items;
  for (ItemId id : kRestoreOrder) {
    const ItemRow& row = Row(id);
    if (Chosen(row, request.boxes) && archive::ItemPresent(st.ItemFlags, row.position)) items.push_back(id);
  }
  return items;
}

// All chosen items are restored together or none is: each reported item says the same.
RestoreResult RestoreJob::Run() {
  AppState& st = app_.state;
  const std::string& target = request_.targetProfile;
  sink_.Log(std::string(84, '.') + "\r");
  sink_.Log(Now() + " Start Retore Data to Profile " + target + "\n");
  sink_.Log(Now() + " Restore File is " + st.SourceArchive + "\n");
  int progress = 10;
  sink_.Progress(progress);
  sink_.Pump();

  // The reader may have been closed since the opening (a backup uses the same component).
  app_.zip.OpenArchive(st.SourceArchive);
  app_.zip.ReadPassword = st.SourcePassword;

  const std::vector<ItemId> items = ItemsToRun(st, request_);
  const bool ok = items.empty() || Transact(items, target);
  RestoreResult result;
  for (ItemId id : kRestoreOrder) {
    const ItemRow& row = Row(id);
    if (std::find(items.begin(), items.end(), id) != items.end()) {
      if (row.label) sink_.Log(Now() + " Retore " + row.label + " " + (ok ? "Succeeded!" : "Fail!") + "\n");
      result.items.push_back(ItemResult{id, true, ok});
    }
    progress = std::min(100, progress + row.restoreStep);
    sink_.Progress(progress);
  }
  sink_.Log(Now() + " Restore Data to Profile " + target + " was Completed!" + "\r");
  return result;
}

std::string RestoreMessage(const RestoreResult& result) {
  std::string summary;
  for (const ItemResult& item : result.items) {
    const ItemRow& row = Row(item.item);
    if (!row.label) continue;
    std::string shown = std::string("Restore ") + row.label;
    if (!item.ok && item.item == ItemId::Signatures) shown += " ";
    summary += "\r\n" + shown + std::string(static_cast<std::size_t>(row.summaryTabs), '\t') +
               (item.ok ? "Succeeded!" : "Fail!") + "\t";
  }
  return "The Restore was Completed!\t\t\t\r\n" + summary;
}

}  // namespace tarvo
