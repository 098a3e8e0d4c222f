#include "restore/restore_journal.h"

#include <cctype>
#include <initializer_list>
#include <sstream>

#include "platform/host_file_system.h"

namespace tarvo {
namespace {

constexpr const char* kHeader = "tarvo restore journal 1";
constexpr const char* kPhases[] = {"staging", "commit", "done"};
constexpr const char* kJournalWorkPrefix = "TVJ";

// A work file named by a restore: prefix, hex digits, ".TMP", in the target's folder. The
// journal lies in a folder anyone with the user's rights can write, so nothing it names is
// moved or deleted unless it has this form.
bool IsOwnWorkFile(const std::string& path, const char* prefix, const std::string& target) {
  const std::string name = BareName(path);
  if (!SameNameNoCase(ParentFolder(path), ParentFolder(target)) || name.size() < 8 || name.size() > 12) return false;
  if (!SameNameNoCase(name.substr(0, 3), prefix) || !SameNameNoCase(name.substr(name.size() - 4), ".TMP")) return false;
  for (std::size_t i = 3; i + 4 < name.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

bool IsSoundFile(const JournalFile& f) {
  if (f.target.empty() || BareName(f.target).empty()) return false;
  if (!f.staged.empty() && !IsOwnWorkFile(f.staged, kStagedPrefix, f.target)) return false;
  return f.aside.empty() || IsOwnWorkFile(f.aside, kAsidePrefix, f.target);
}

bool DecodeLine(const std::string& line, RestoreJournal& journal) {
  std::istringstream words(line);
  std::string kind, a, b, c, d;
  words >> kind >> a >> b >> c >> d;
  if (kind == "phase") {
    for (int i = 0; i < 3; ++i)
      if (a == kPhases[i]) journal.phase = static_cast<JournalPhase>(i);
    return a == kPhases[0] || a == kPhases[1] || a == kPhases[2];
  }
  const auto first = BytesOfHex(a);
  if (!first) return false;
  if (kind == "folder" || kind == "workfolder") {
    (kind == "folder" ? journal.createdFolders : journal.workFolders).push_back(*first);
    return true;
  }
  const auto second = BytesOfHex(b);
  if (!second) return false;
  if (kind == "branch") {
    const auto copy = DecodeBranchCopy(*second);
    if (!copy || first->rfind("HKEY_CURRENT_USER\\", 0) != 0) return false;
    journal.branches.push_back({*first, *copy});
    return true;
  }
  const auto third = BytesOfHex(c);
  if (kind != "file" || !third || (d != "0" && d != "1")) return false;
  journal.files.push_back({*first, *second, *third, d == "1"});
  return IsSoundFile(journal.files.back());
}

void UndoFile(FileSystem& files, const JournalFile& f, bool committing, std::vector<std::string>& problems) {
  if (committing && !f.aside.empty() && files.FileExists(f.aside)) {
    // The user's file was moved aside: it goes back over whatever the restore put there.
    if (!files.ReplaceFile(f.aside, f.target))
      problems.push_back("Could not put back " + f.target + "; the earlier file is kept as " + f.aside);
  } else if (committing && !f.existed && !f.staged.empty() && !files.FileExists(f.staged) &&
             files.FileExists(f.target)) {
    // A file the restore added where there was none.
    if (!files.DeleteFile(f.target)) problems.push_back("Could not remove the restored " + f.target);
  }
  if (!f.staged.empty() && files.FileExists(f.staged) && !files.DeleteFile(f.staged))
    problems.push_back("Could not remove the work file " + f.staged);
}

// Work files of the given kinds in folder (a file named after the folder stands for them).
void RemoveWorkFiles(FileSystem& files, const std::string& folder, std::initializer_list<const char*> prefixes) {
  const auto names = files.ListFiles(folder);
  if (!names) return;
  for (const auto& name : *names) {
    const std::string path = JoinPath(folder, name);
    for (const char* prefix : prefixes)
      if (IsOwnWorkFile(path, prefix, path)) files.DeleteFile(path);
  }
}

}  // namespace

std::string EncodeJournal(const RestoreJournal& journal) {
  std::string text = std::string(kHeader) + "\nphase " + kPhases[static_cast<int>(journal.phase)] + "\n";
  for (const auto& folder : journal.createdFolders) text += "folder " + HexOf(folder) + "\n";
  for (const auto& folder : journal.workFolders) text += "workfolder " + HexOf(folder) + "\n";
  for (const auto& f : journal.files)
    text += "file " + HexOf(f.target) + " " + HexOf(f.staged) + " " + HexOf(f.aside) + (f.existed ? " 1\n" : " 0\n");
  for (const auto& b : journal.branches) text += "branch " + HexOf(b.keyPath) + " " + HexOf(EncodeBranchCopy(b.copy)) + "\n";
  return text + "end\n";
}

std::optional<RestoreJournal> DecodeJournal(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  RestoreJournal journal;
  if (!std::getline(in, line) || line != kHeader) return std::nullopt;
  while (std::getline(in, line)) {
    if (line == "end") return journal;
    if (!DecodeLine(line, journal)) return std::nullopt;
  }
  return std::nullopt;  // cut off
}

bool SaveJournal(FileSystem& files, const std::string& dataFolder, const RestoreJournal& journal) {
  const std::string work = files.CreateTempFile(dataFolder, kJournalWorkPrefix);
  if (!files.FileExists(work)) return false;
  if (files.WriteAll(work, EncodeJournal(journal)) && files.ReplaceFile(work, JoinPath(dataFolder, kJournalName)))
    return true;
  files.DeleteFile(work);
  return false;
}

std::vector<std::string> UndoRestore(FileSystem& files, ModReg& reg, const RestoreJournal& journal) {
  std::vector<std::string> problems;
  const bool committing = journal.phase != JournalPhase::Staging;
  for (auto it = journal.branches.rbegin(); it != journal.branches.rend(); ++it)
    if (!PutBranchBack(reg, it->keyPath, it->copy))
      problems.push_back("Could not put back the registry branch " + it->keyPath);
  for (auto it = journal.files.rbegin(); it != journal.files.rend(); ++it) UndoFile(files, *it, committing, problems);
  // While staging nothing of the user's was moved aside yet: every work file is a leftover.
  if (!committing)
    for (const auto& folder : journal.workFolders) RemoveWorkFiles(files, folder, {kStagedPrefix, kAsidePrefix});
  for (auto it = journal.createdFolders.rbegin(); it != journal.createdFolders.rend(); ++it)
    files.RemoveEmptyFolder(*it);
  return problems;
}

void FinishRestore(FileSystem& files, const RestoreJournal& journal) {
  for (const auto& f : journal.files) {
    if (!f.aside.empty() && files.FileExists(f.aside)) files.DeleteFile(f.aside);
    if (!f.staged.empty() && files.FileExists(f.staged)) files.DeleteFile(f.staged);
  }
}

void RemoveJournalWorkFiles(FileSystem& files, const std::string& dataFolder) {
  RemoveWorkFiles(files, dataFolder, {kJournalWorkPrefix});
}

}  // namespace tarvo
