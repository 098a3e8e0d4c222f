// "Check backup file after backup procedure": a damaged new archive never replaces the
// previous one, in the interactive and in the automatic run.
#include <algorithm>

#include "core/last_run.h"
#include "backup_fixture.h"

namespace tarvo {
namespace {

constexpr const char* kNow = "3/7/2024 1:05:09 PM";

// Turns over the first data byte of the first entry: only reading the entry back notices.
void DamageFirstEntry(TempDrive& drive, const std::string& path) {
  std::string bytes = drive.Get(path);
  ASSERT_GT(bytes.size(), 30u);
  ASSERT_EQ(bytes.substr(0, 4), std::string("PK\3\4", 4));
  auto u16 = [&](std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  const std::size_t data = 30 + u16(26) + u16(28);
  ASSERT_LT(data, bytes.size());
  bytes[data] = static_cast<char>(bytes[data] ^ 0x5a);
  drive.Put(path, bytes);
}

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

class ArchiveCheckTest : public BackupFixture {
 protected:
  const std::string target = "C:\\Backup\\mvbox-Outlook.tvo";
  void SetUp() override {
    tp.drive.MakeFolder("C:\\Backup");
    for (const char* key : {"burndvd", "runoutlookafterbackup"}) Setting("General", key, "0");
    for (const char* key : {"autocloseoutlook", "openfolderbackup"}) Setting("Backup", key, "0");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "<html>work</html>");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.txt", "work");
    SetString(profileKey(), "Profile", "yes");
    app.beforeArchiveCheck = [this](const std::string& work) {
      checkedFiles.push_back(work);
      captionAtCheck = frm.SkinLabel9.caption;
      if (damage) DamageFirstEntry(tp.drive, work);
    };
  }
  std::vector<std::string> checkedFiles;
  std::string captionAtCheck;
  bool damage = false;
};

TEST_F(ArchiveCheckTest, InteractiveRunKeepsThePreviousArchiveWhenTheNewOneDoesNotReadBack) {
  struct Case {
    const char* check;
    bool protect;
    bool damage;
  };
  const Case cases[] = {{"1", false, true}, {"1", true, true}, {"1", false, false}, {"0", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("check=") + c.check + " protect=" + std::to_string(c.protect) +
                 " damage=" + std::to_string(c.damage));
    tp.drive.Put(target, "the last good backup");
    tp.drive.Put(app.state.LogFile, "");
    tp.ui.messages.clear();
    checkedFiles.clear();
    damage = c.damage;
    Setting("General", "checkbackupfile", c.check);
    frm.cbSource.text = "Outlook";
    app.state.loc.TargetFile = target;
    frm.backupitem[2].value = 1;
    frm.ifprotect.value = c.protect ? 1 : 0;
    frm.txtPassword.text = frm.txtPassword2.text = c.protect ? "Pa55" : "";
    frm.RunBackup();

    const bool checking = std::string(c.check) == "1";
    ASSERT_EQ(checkedFiles.size(), checking ? 1u : 0u);
    const std::string log = LogText();
    ASSERT_FALSE(tp.ui.messages.empty());
    const ShownMessage& shown = tp.ui.messages.back();
    if (checking) {
      EXPECT_EQ(captionAtCheck, "Checking Backup File " + target);
    }
    if (checking && c.damage) {
      EXPECT_NE(checkedFiles[0], target);
      EXPECT_EQ(ParentFolder(checkedFiles[0]), "C:\\Backup");
      EXPECT_EQ(tp.drive.Get(target), "the last good backup");
      EXPECT_NE(log.find(std::string(kNow) + " Backup File " + target +
                         " failed its check: the entry Work.htm does not read back: "),
                std::string::npos)
          << log;
      EXPECT_EQ(log.find(checkedFiles[0]), std::string::npos) << "the log names the work file: " << log;
      EXPECT_NE(log.find(std::string(kNow) + " Backup Profile Outlook Data was not Completed!\r"), std::string::npos);
      EXPECT_EQ(shown.icon, MsgIcon::Critical);
      EXPECT_EQ(shown.text.rfind("The Backup File failed its check and was not kept!\r\n", 0), 0u) << shown.text;
      EXPECT_NE(shown.text.find("The previous backup file was left as it was."), std::string::npos);
      EXPECT_NE(shown.text.find("Backup Signatures\t\tSucceeded!"), std::string::npos);
    } else {
      // A sound archive, or no check asked for: the run is the one it always was.
      EXPECT_EQ(EntryNames(target, c.protect ? "Pa55" : ""),
                (std::vector<std::string>{"Work.htm", "Work.txt", "mailvault.dat"}));
      EXPECT_EQ(log, std::string(84, '.') + "\r\r\n" + kNow + " Start Backup Profile Outlook Data...\n\r\n" + kNow +
                         " Backup File is " + target + "\n\r\n" + kNow + " Backup Signatures Succeeded!\n\r\n" +
                         kNow + " Backup Profile Outlook Data was Completed!\r\r\n");
      EXPECT_EQ(shown.text, "The Backup was Completed!\t\t\t\r\n\r\nBackup Signatures\t\tSucceeded!\t");
    }
    EXPECT_EQ(*tp.drive.fs().ListFiles("C:\\Backup"), std::vector<std::string>{"mvbox-Outlook.tvo"});
    EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath));
  }
}

TEST_F(ArchiveCheckTest, AutomaticRunKeepsEveryOlderArchiveWhenTheNewOneDoesNotReadBack) {
  const std::string plain = "C:\\Backup\\mvbox-Outlook.tvo";
  const std::string older = "C:\\Backup\\mvbox-Outlook-03-01-2024-13-05.tvo";
  const std::string dated = "C:\\Backup\\mvbox-Outlook-03-07-2024-13-05.tvo";
  tp.drive.Put(plain, "old archive");
  tp.drive.Put(older, "last week's archive");
  Setting("autobackup", "keepdated", "1");
  damage = true;
  app.state.CommandLine = " sf=Outlookxm=001000000ps=Pa55bf=" + plain;
  frm.RunAutoBackup();

  ASSERT_EQ(checkedFiles.size(), 1u);
  EXPECT_EQ(Sorted(*tp.drive.fs().ListFiles("C:\\Backup")),
            (std::vector<std::string>{"mvbox-Outlook-03-01-2024-13-05.tvo", "mvbox-Outlook.tvo"}));
  EXPECT_EQ(tp.drive.Get(older), "last week's archive");
  EXPECT_EQ(tp.drive.Get(plain), "old archive");
  EXPECT_EQ(LogText().rfind(std::string(kNow) + " Automatic Backup File " + dated +
                                " failed its check: the entry Work.htm does not read back: ",
                            0),
            0u)
      << LogText();
  const auto run = ReadLastRun(tp.drive.fs(), app.state.DataFolder + "\\lastrun.dat");
  ASSERT_TRUE(run);
  EXPECT_FALSE(run->ok);
  EXPECT_EQ(run->reason.rfind("the backup file failed its check: the entry Work.htm does not read back", 0), 0u)
      << run->reason;
  EXPECT_TRUE(tp.ui.messages.empty());
}

}  // namespace
}  // namespace tarvo
