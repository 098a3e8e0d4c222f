// A restore is all or nothing: killed at any change it makes, the next start leaves the
// profile as it was before or as the complete restore leaves it; a commit that fails puts
// back what it had changed.
#include <filesystem>
#include <map>

#include "jobs/restore_recovery.h"
#include "registry/branch_copy.h"
#include "restore/restore_journal.h"
#include "restore_fixture.h"
#include "support/dying_platform.h"

namespace tarvo {
namespace {

class RestoreTransactionTest : public RestoreFixture {
 protected:
  // A profile whose store points at C:\mail\Work.pst and an older Work.pst already in the
  // local Outlook folder; the archive brings a configuration (a new value and the store
  // section), the data file and the rules.
  void SeedProfile() {
    app.reg.DeleteKeyTree(ProfileKey());
    SeedValue(ProfileKey(), "Keep", kRegMultiSz, std::string("a\0b\0\0", 5));
    SeedValue(ProfileKey() + "\\store", "01020fff", kRegBinary, StoreEntryId("C:\\mail\\Work.pst"));
    tp.drive.Put(std::string(kLocalOutlook) + "\\Work.pst", "the old PST");
    tp.drive.Put(std::string(kRoaming) + "\\Outlook\\Work.RWZ", "old rules");
    const std::string fav = std::string(kUser) + "\\Application Data\\Microsoft\\Outlook\\Work.FAV";
    tp.drive.Put(fav, "favourites");
  }
  void OpenArchive() {
    std::string entryId;
    for (unsigned char c : StoreEntryId("C:\\mail\\Work.pst")) entryId += std::to_string(c) + ",";
    entryId.pop_back();
    const std::string config = "\\\r\n\"New\"= sz:from backup\r\n\\store\r\n\"01020fff\"=bin:" + entryId + "\r\n";
    BuildArchive("C:\\b.tvo", {{"OBC1.TMP", config}, {"Work.pst", std::string(300000, 'P')}, {"Home.RWZ", "rules"}},
                 Record({{"BackupConfig", "OBC1.TMP"}, {"BackupDatas", "Work.pst"}, {"BackupRules", "Home.RWZ"}},
                        "11100000000"));
    Open("C:\\b.tvo");
    ASSERT_FALSE(app.state.NoArchiveLoaded);
  }

  // The registry branch and every file of the drive but the log and the archive.
  std::string State() {
    std::string out = EncodeBranchCopy(*CopyBranch(app.reg, ProfileKey()));
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(tp.drive.root())) {
      const std::string name = e.path().filename().string();
      if (name == "brlog.dat" || name == "b.tvo") continue;
      const std::string rel = e.path().string().substr(tp.drive.root().size());
      files[rel] = e.is_regular_file() ? tp.drive.fs().ReadAll("C:" + rel.substr(2)).value_or("?") : "<folder>";
    }
    for (const auto& [path, bytes] : files) out += path + "=" + std::to_string(bytes.size()) + ":" + bytes.substr(0, 40) + "\n";
    return out;
  }

  // One restore of box 0 on a platform that dies after `changes` changes; true when it ran
  // to its end.
  bool RunDyingAfter(int changes) {
    KillCountdown countdown{changes};
    DyingRegistry registry(tp.registry, countdown);
    DyingFiles files(tp.drive.fs(), countdown);
    Platform platform{registry, files, tp.system, tp.processes, tp.shell, tp.ui, tp.office};
    App dying(platform);
    dying.state = app.state;
    RunLogSink sink(dying);
    RestoreRequest request{"Work", {}};
    request.boxes[0] = true;
    try {
      RestoreJob(dying, request, sink).Run();
      return true;
    } catch (const Killed&) {
      return false;
    }
  }
};

TEST_F(RestoreTransactionTest, KilledAtAnyChangeTheNextStartLeavesTheOldOrTheNewState) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  OpenArchive();
  SeedProfile();
  const std::string before = State();
  ASSERT_TRUE(RunDyingAfter(-1));
  const std::string after = State();
  ASSERT_NE(before, after);
  EXPECT_EQ(tp.drive.Get(std::string(kRoaming) + "\\Outlook\\Work.RWZ"), "rules");

  int killed = 0;
  for (int changes = 0; changes < 500; ++changes) {
    SeedProfile();
    tp.drive.fs().DeleteFile(std::string(kRoaming) + "\\Outlook\\Work.RWZ");
    tp.drive.Put(std::string(kRoaming) + "\\Outlook\\Work.RWZ", "old rules");
    ASSERT_EQ(State(), before);
    const bool finished = RunDyingAfter(changes);
    // The next start of the program.
    App next(tp.platform);
    next.state = app.state;
    FinishInterruptedRestoreAtStart(next);
    const std::string now = State();
    EXPECT_TRUE(now == before || now == after) << "killed after " << changes << " changes:\n" << now;
    EXPECT_FALSE(tp.drive.fs().FileExists(JoinPath(app.state.DataFolder, kJournalName)));
    if (finished) break;
    ++killed;
  }
  EXPECT_GT(killed, 20) << "the restore made too few changes to be killed in the middle of its commit";
}

TEST_F(RestoreTransactionTest, AFileThatCannotBePutInPlaceUndoesTheConfigurationToo) {
  tp.drive.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  OpenArchive();
  SeedProfile();
  // A folder where the data file goes: the last step of the commit cannot replace it.
  tp.drive.fs().DeleteFile(std::string(kLocalOutlook) + "\\Work.pst");
  tp.drive.MakeFolder(std::string(kLocalOutlook) + "\\Work.pst");
  const std::string before = State();
  form.restoreitem[0].value = 1;

  form.RunRestore();

  EXPECT_EQ(State(), before);
  const std::string log = tp.drive.Get(app.state.LogFile);
  EXPECT_NE(log.find("Could not restore Work.pst: Cannot replace"), std::string::npos) << log;
  EXPECT_NE(log.find("Everything the restore had changed was put back."), std::string::npos) << log;
  EXPECT_NE(tp.ui.messages.back().text.find("Restore Personal Folders\tFail!"), std::string::npos);
}

}  // namespace
}  // namespace tarvo
