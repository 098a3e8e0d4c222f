// A restore as a transaction: plan, stage every file as a checked work file beside its
// place, copy every registry branch it may change, then commit item by item under a
// journal; any failure puts back all that was changed.
#include <exception>

#include "jobs/restore_job.h"
#include "restore/restore_journal.h"
#include "jobs/restore_recovery.h"
#include "platform/host_file_system.h"
#include "platform/run_lock.h"
#include "platform/system_error.h"
#include "restore/extract_failure.h"

namespace tarvo {
namespace {

// Adds the folder's missing levels to made, top down: every one when allLevels, else only
// the last (false when more are missing).
bool MissingLevels(FileSystem& files, const std::string& folder, bool allLevels, std::vector<std::string>& made) {
  for (const auto& m : made)
    if (SameNameNoCase(m, folder)) return true;
  if (files.FolderExists(folder)) return true;
  const std::string parent = ParentFolder(folder);
  if (!parent.empty() && !files.FolderExists(parent)) {
    if (!allLevels || !MissingLevels(files, parent, true, made)) return false;
  }
  made.push_back(folder);
  return true;
}

// A free name beside the target for the file it replaces.
std::string ReserveName(FileSystem& files, const std::string& folder, const char* prefix) {
  const std::string path = files.CreateTempFile(folder, prefix);
  if (!files.FileExists(path)) return {};
  files.DeleteFile(path);
  return path;
}

std::string MegabytesText(std::uint64_t bytes) { return std::to_string((bytes + 1048575) / 1048576) + " MB"; }

// Staged copies need room beside the files they replace until the commit.
std::string SpaceProblem(FileSystem& files, const RestorePlan& plan) {
  for (const auto& folder : plan.folders) {
    std::uint64_t need = 0;
    for (const auto& f : plan.files)
      if (SameNameNoCase(ParentFolder(f.target), folder.path)) need += f.entry.size;
    const auto free = files.FreeSpace(folder.path);
    if (need > 0 && free && *free < need)
      return "There is not enough free space in " + folder.path + " for the restored files: " + MegabytesText(need) +
             " are needed, " + MegabytesText(*free) + " are free.";
  }
  return {};
}

}  // namespace

// Names every folder and work file in the journal before it is made, so that a restore
// cut off here leaves nothing the next start does not remove.
bool RestoreJob::MakeWorkFiles(RestorePlan& plan, RestoreJournal& journal) {
  FileSystem& files = app_.platform.files;
  const std::string journalProblem = "Could not write the restore's journal in " + app_.state.DataFolder + ".";
  for (const auto& folder : plan.folders) {
    journal.workFolders.push_back(folder.path);
    if (!MissingLevels(files, folder.path, folder.allLevels, journal.createdFolders)) {
      plan.problem = "Could not create the folder " + folder.path + ": the folder above it is missing.";
      return false;
    }
  }
  for (const auto& removal : plan.removals) journal.workFolders.push_back(ParentFolder(removal));
  if (!SaveJournal(files, app_.state.DataFolder, journal)) return plan.problem = journalProblem, false;
  for (const auto& folder : journal.createdFolders)
    if (!files.FolderExists(folder) && !files.CreateFolder(folder)) {
      plan.problem = "Could not create the folder " + folder + ".";
      return false;
    }
  for (auto& f : plan.files) {
    f.staged = files.CreateTempFile(ParentFolder(f.target), kStagedPrefix);
    if (!files.FileExists(f.staged)) {
      plan.problem = "Could not create a work file in " + ParentFolder(f.target) + ".";
      return false;
    }
    journal.files.push_back({f.target, f.staged, "", false});
  }
  if (!SaveJournal(files, app_.state.DataFolder, journal)) return plan.problem = journalProblem, false;
  return true;
}

bool RestoreJob::Stage(RestorePlan& plan, RestoreJournal& journal) {
  if (plan.problem = SpaceProblem(app_.platform.files, plan); !plan.problem.empty()) return false;
  if (!MakeWorkFiles(plan, journal)) return false;
  std::uint64_t total = 0, done = 0;
  for (const auto& f : plan.files) total += f.entry.size;
  for (const auto& f : plan.files) {
    sink_.Status(Row(f.item).restoreStatus);
    if (!app_.zip.ExtractIntoFile(f.entry, f.staged)) {
      plan.problem = ExtractFailureText(f.entry.name, app_.zip.LastError());
      return false;
    }
    done += f.entry.size;
    sink_.Progress(10 + static_cast<int>(72 * done / (total ? total : 1)));
    sink_.Pump();
  }
  return true;
}

bool RestoreJob::PrepareCommit(RestorePlan& plan, RestoreJournal& journal) {
  FileSystem& files = app_.platform.files;
  for (auto& f : journal.files) {
    f.existed = files.FileExists(f.target);
    // A file replaced keeps the name it has on disk, whatever case the archive gives it.
    if (const auto stored = f.existed ? files.StoredName(f.target) : std::nullopt)
      f.target = JoinPath(ParentFolder(f.target), *stored);
    if (f.existed && (f.aside = ReserveName(files, ParentFolder(f.target), kAsidePrefix)).empty()) {
      plan.problem = "Could not create a work file in " + ParentFolder(f.target) + ".";
      return false;
    }
  }
  for (const auto& removal : plan.removals) {
    const std::string aside = ReserveName(files, ParentFolder(removal), kAsidePrefix);
    if (aside.empty()) {
      plan.problem = "Could not create a work file in " + ParentFolder(removal) + ".";
      return false;
    }
    journal.files.push_back({removal, "", aside, true});
  }
  for (const auto& branch : plan.branches) {
    auto copy = CopyBranch(app_.reg, branch);
    if (!copy) {
      plan.problem = "Could not copy the registry branch " + branch + " before changing it.";
      return false;
    }
    journal.branches.push_back({branch, std::move(*copy)});
  }
  journal.phase = JournalPhase::Commit;
  if (SaveJournal(files, app_.state.DataFolder, journal)) return true;
  plan.problem = "Could not write the restore's journal in " + app_.state.DataFolder + ".";
  return false;
}

// Moves the file at the target aside and the staged copy into its place.
bool RestoreJob::Install(const JournalFile& f, std::string& problem) {
  FileSystem& files = app_.platform.files;
  const bool moved = (f.aside.empty() || !files.FileExists(f.target) || files.RenameFile(f.target, f.aside)) &&
                     (f.staged.empty() || files.RenameFile(f.staged, f.target));
  if (moved) return true;
  std::string why = "Cannot replace " + f.target;
  if (FileHeldOpen(files.NativePath(f.target)))
    why += ": " + HeldFileAdviceFor(BareName(f.target), files.NativePath(f.target));
  problem = ExtractFailureText(BareName(f.target), why);
  return false;
}

bool RestoreJob::CommitItem(ItemId item, const std::string& target, RestorePlan& plan, RestoreJournal& journal) {
  if (const PlannedImport* import = plan.ImportOf(item)) {
    if (app_.reg.KeyExists(import->keyPath) && !ApplyExport(app_.reg, import->keyPath, import->parsed)) {
      plan.problem = "Could not write the registry settings into " + import->keyPath + ".";
      return false;
    }
  }
  for (std::size_t i = 0; i < plan.files.size(); ++i)
    if (plan.files[i].item == item && !Install(journal.files[i], plan.problem)) return false;
  if (item == ItemId::Datas) {
    if (!RepointDataFiles(target)) {
      plan.problem = "The profile " + target + " has no settings that could point at the restored data files.";
      return false;
    }
    for (std::size_t i = plan.files.size(); i < journal.files.size(); ++i)
      if (!Install(journal.files[i], plan.problem)) return false;
  }
  if (item == ItemId::Pab && !RepointAddressBooks(target)) {
    plan.problem = "The profile " + target + " has no settings that could point at the restored address book.";
    return false;
  }
  return true;
}

// Puts back what the restore changed, saying why and how that went in the run log.
bool RestoreJob::Abandon(RestoreJournal& journal, const std::string& why) {
  FileSystem& files = app_.platform.files;
  const bool changed = journal.phase != JournalPhase::Staging;
  LogProblem(why + (changed ? "" : " Nothing was restored."));
  const auto problems = UndoRestore(files, app_.reg, journal);
  for (const auto& problem : problems) LogProblem(problem);
  if (!problems.empty()) {
    LogProblem("The restore could not be undone completely; the next start of the program tries again.");
    return false;
  }
  if (changed) LogProblem("Everything the restore had changed was put back.");
  files.DeleteFile(JoinPath(app_.state.DataFolder, kJournalName));
  return false;
}

void RestoreJob::Finish(RestoreJournal& journal) {
  FileSystem& files = app_.platform.files;
  journal.phase = JournalPhase::Done;
  SaveJournal(files, app_.state.DataFolder, journal);
  FinishRestore(files, journal);
  files.DeleteFile(JoinPath(app_.state.DataFolder, kJournalName));
}

bool RestoreJob::Transact(const std::vector<ItemId>& items, const std::string& target) {
  const auto lock = LockRestores(app_, kRestoreLockWaitMs);
  if (!lock || !FinishInterruptedRestore(app_, *lock)) {
    LogProblem("Another restore is running, or an earlier one could not be finished. Nothing was restored.");
    return false;
  }
  RestorePlan plan;
  plan.items = items;
  for (ItemId item : items)
    if (!PlanItem(item, target, plan)) {
      LogProblem(plan.problem + " Nothing was restored.");
      return false;
    }
  RestoreJournal journal;
  try {
    if (!Stage(plan, journal) || !PrepareCommit(plan, journal)) return Abandon(journal, plan.problem);
    for (ItemId item : items) {
      sink_.Status(Row(item).restoreStatus);
      if (!CommitItem(item, target, plan, journal)) return Abandon(journal, plan.problem);
    }
  } catch (const std::exception& e) {
    return Abandon(journal, std::string("The restore stopped: ") + e.what() + ".");
  }
  Finish(journal);
  return true;
}

}  // namespace tarvo
