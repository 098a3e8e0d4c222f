#pragma once
// The journal of a restore, kept in the data folder while the restore changes anything:
// which files it puts in place (each beside its work copies) and an exact copy of every
// registry branch it may change. A restore cut off by a crash is undone from it at the
// next start; one cut off after it was complete only has its old files removed.
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "registry/branch_copy.h"

namespace tarvo {

inline constexpr const char* kJournalName = "restore.jnl";
// Work files of a restore: staged copies from the archive, and the files they replace.
inline constexpr const char* kStagedPrefix = "TVS";
inline constexpr const char* kAsidePrefix = "TVA";

// One file the restore puts in place. staged: the checked copy from the archive, moved to
// target (empty for a file the restore only removes); aside: where the file that was at
// target is kept until the restore is complete. All three are in one folder.
struct JournalFile {
  std::string target, staged, aside;
  bool existed = false;  // target existed when the commit began
};

struct JournalBranch {
  std::string keyPath;
  BranchCopy copy;
};

enum class JournalPhase {
  Staging,  // only work files exist; nothing of the user's was changed
  Commit,   // files and branches are being replaced
  Done,     // complete; what is left are the replaced files
};

struct RestoreJournal {
  JournalPhase phase = JournalPhase::Staging;
  std::vector<JournalFile> files;
  std::vector<JournalBranch> branches;
  std::vector<std::string> createdFolders;  // made for the restore; removed again when empty
  // Where the restore makes work files: a restore cut off while staging may have made one
  // there before the journal named it.
  std::vector<std::string> workFolders;
};

std::string EncodeJournal(const RestoreJournal& journal);
std::optional<RestoreJournal> DecodeJournal(const std::string& text);
// Written whole to a work file first, then moved over the journal.
bool SaveJournal(FileSystem& files, const std::string& dataFolder, const RestoreJournal& journal);

// Puts back every branch and every replaced file and removes the work files (and, for a
// restore still staging, every work file of a restore in its work folders). Returns what
// could not be put back, in words, one line each; empty when all is as before.
std::vector<std::string> UndoRestore(FileSystem& files, ModReg& reg, const RestoreJournal& journal);
// After a complete restore: removes the replaced files and what work files are left.
void FinishRestore(FileSystem& files, const RestoreJournal& journal);
// Removes journal work files ("TVJ....TMP") that a run cut off while writing left behind.
void RemoveJournalWorkFiles(FileSystem& files, const std::string& dataFolder);

}  // namespace tarvo
