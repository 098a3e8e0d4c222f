// Two runs at once: each keeps its own record, and only one at a time writes an archive.
#include <algorithm>
#include <thread>

#include "backup/run_guard.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class ConcurrentRunTest : public BackupFixture {
 protected:
  const std::string archiveA = "C:\\Backup\\a.tvo";
  const std::string archiveB = "C:\\Backup\\b.tvo";

  // A second program on the same machine: its own window, components and process values.
  struct OtherProgram {
    explicit OtherProgram(ConcurrentRunTest& t)
        : platform{t.tp.registry, t.tp.drive.fs(), t.tp.system, t.tp.processes, t.tp.shell, t.tp.ui, t.tp.office},
          app{platform},
          frm{app} {
      app.state = t.app.state;
      app.zip.WorkFolder = app.state.DataFolder;
    }
    Platform platform;
    App app;
    FrmMain frm;
  };

  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    Setting("autobackup", "autobackupfile", "0");
    SetString(profileKey(), "Profile", "yes");
    tp.drive.Put("C:\\Mail\\Outlook.pst", "outlook pst");
    SeedDataFile("0a0d", "C:\\Mail\\Outlook.pst");
    const std::string work = app.state.env.ProfilesKey + "\\Work";
    SetBinary(work + "\\0a0e", "01020fff", StoreEntryId("C:\\Mail\\Work.pst", true));
    tp.drive.Put("C:\\Mail\\Work.pst", "work pst");
  }

  // Runs fn on another thread as the first run reaches its data file, once.
  void DuringFirstRun(std::function<void()> fn) {
    hookUi.onPump = [this, fn, done = false]() mutable {
      if (done || frm.SkinLabel9.caption != "Adding File Outlook.pst") return;
      done = true;
      std::thread other(fn);
      other.join();
    };
  }
  void RunFirst(const std::string& archive) {
    app.state.CommandLine = " sf=Outlookxm=100000000ps=bf=" + archive;
    frm.RunAutoBackup();
  }
  std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    return all;
  }
};

TEST_F(ConcurrentRunTest, TwoProfilesAtOnceEachRecordNamesItsOwnProfileAndDataFiles) {
  OtherProgram other(*this);
  DuringFirstRun([&] {
    other.app.state.CommandLine = " sf=Workxm=100000000ps=bf=" + archiveB;
    other.frm.RunAutoBackup();
  });
  RunFirst(archiveA);

  const auto a = RecordLines(archiveA);
  const auto b = RecordLines(archiveB);
  ASSERT_EQ(a.size(), 9u) << Lines(a);
  ASSERT_EQ(b.size(), 9u) << Lines(b);
  EXPECT_EQ(a[2], "BackupIdentity=Outlook");
  EXPECT_EQ(a[7], "BackupDatas=Outlook.pst");
  EXPECT_EQ(b[2], "BackupIdentity=Work");
  EXPECT_EQ(b[7], "BackupDatas=Work.pst");
  EXPECT_EQ(EntryNames(archiveB).back(), "mailvault.dat");
  // Neither run left a work file; the settings and the last run's outcome are all the data
  // folder holds.
  EXPECT_EQ(Sorted(*tp.drive.fs().ListFiles(app.state.DataFolder)),
            (std::vector<std::string>{"lastrun.dat", "settings.dat"}));
  EXPECT_EQ(LogText(), "");
}

TEST_F(ConcurrentRunTest, SecondRunOntoTheSameArchiveGivesUpAndSaysSo) {
  OtherProgram automatic(*this), window(*this);
  automatic.app.state.RunLockWaitMs = window.app.state.RunLockWaitMs = 0;
  DuringFirstRun([&] {
    automatic.app.state.CommandLine = " sf=Workxm=100000000ps=bf=" + archiveA;
    automatic.frm.RunAutoBackup();
    window.frm.cbSource.text = "Work";
    window.frm.backupitem[0].value = 1;
    window.app.state.loc.TargetFile = "c:\\backup\\A.TVO";  // the same file, spelt otherwise
    window.frm.RunBackup();
  });
  RunFirst(archiveA);

  const auto a = RecordLines(archiveA);
  ASSERT_EQ(a.size(), 9u) << Lines(a);
  EXPECT_EQ(a[2], "BackupIdentity=Outlook");
  EXPECT_EQ(tp.drive.fs().ListFiles("C:\\Backup")->size(), 1u);
  EXPECT_EQ(LogText(),
            "3/7/2024 1:05:09 PM Automatic Backup File " + archiveA +
                " was not written: another backup onto the same file was still running after 0 seconds. The "
                "previous backup file was left as it was.\n\r\n"
                "3/7/2024 1:05:09 PM Backup File c:\\backup\\A.TVO was not written: another backup onto the same "
                "file was still running after 0 seconds. The previous backup file was left as it was.\n\r\n");
  EXPECT_EQ(tp.ui.texts(), (std::vector<std::string>{BusyArchiveMessage("c:\\backup\\A.TVO")}));
  EXPECT_EQ(Sorted(*tp.drive.fs().ListFiles(app.state.DataFolder)),
            (std::vector<std::string>{"brlog.dat", "lastrun.dat", "settings.dat"}));
}

}  // namespace
}  // namespace tarvo
