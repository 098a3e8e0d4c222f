#include <sstream>

#include "tvo/tvo_commands.h"
#include "restore_fixture.h"

namespace tarvo {
namespace {

class TvoTest : public RestoreFixture {
 protected:
  int Tvo(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    ConsoleUi ui(err);
    Platform platform{tp.registry, tp.drive.fs(), tp.system, tp.processes, tp.shell, ui, tp.office};
    TvoHost host{platform, ui, [](const std::string& p) { return p; }, app.state.DataFolder, false};
    return RunTvo(args, host, out, err);
  }
  void BuildSample(const std::string& password = "") {
    BuildArchive("C:\\b.tvo", {{"Work.htm", "sig"}, {"Work.txt", "sig text"}, {"Normal.dot", "tpl"}},
                 Record({{"BackupSignatures", "Work.htm;Work.txt"}, {"BackupTemplates", "Normal.dot"}}, "00001000100",
                        "line1PS$MVTline2"),
                 password);
  }
  std::ostringstream out, err;
};

TEST_F(TvoTest, InfoListVerifyAndExtractASoundArchive) {
  BuildSample();
  ASSERT_EQ(Tvo({"info", "C:\\b.tvo"}), kTvoOk) << err.str();
  EXPECT_NE(out.str().find("Profile:Home\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("Description: line1\nline2\n"), std::string::npos);
  EXPECT_NE(out.str().find("Items: signatures templates\n"), std::string::npos);

  ASSERT_EQ(Tvo({"list", "C:\\b.tvo"}), kTvoOk);
  EXPECT_NE(out.str().find("signatures\t8\tWork.txt\n"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("templates\t3\tNormal.dot\n"), std::string::npos);
  EXPECT_NE(out.str().find("record\t"), std::string::npos);

  EXPECT_EQ(Tvo({"verify", "C:\\b.tvo"}), kTvoOk) << err.str();

  ASSERT_EQ(Tvo({"extract", "C:\\b.tvo", "C:\\out", "--item", "signatures"}), kTvoOk) << err.str();
  EXPECT_EQ(*tp.drive.fs().ListFiles("C:\\out"), (std::vector<std::string>{"Work.htm", "Work.txt"}));
  EXPECT_EQ(tp.drive.Get("C:\\out\\Work.txt"), "sig text");
  EXPECT_EQ(Tvo({"extract", "C:\\b.tvo", "C:\\out", "--item", "pab"}), kTvoFailed);
}

// The notes of a newer archive come after the items, escaped, in order up to the first
// gap; an older archive's info reads as before.
TEST_F(TvoTest, InfoShowsTheArchiveNotesEscaped) {
  BuildSample();
  ASSERT_EQ(Tvo({"info", "C:\\b.tvo"}), kTvoOk) << err.str();
  EXPECT_EQ(out.str().find("Note:"), std::string::npos) << out.str();

  BuildArchive("C:\\n.tvo", {{"Work.htm", "sig"}},
               Record({{"BackupSignatures", "Work.htm"},
                       {"BackupNote1", "C:\\x\\\x1b[2JOld.pst is a PST data file that is not attached"},
                       {"BackupNote2", "The new Outlook is in use on this PC"},
                       {"BackupNote4", "after a gap"}},
                      "00001000000"));
  ASSERT_EQ(Tvo({"info", "C:\\n.tvo"}), kTvoOk) << err.str();
  const std::string shown = out.str();
  EXPECT_NE(shown.find("Items: signatures\n"
                       "Note: C:\\x\\\\x1B[2JOld.pst is a PST data file that is not attached\n"
                       "Note: The new Outlook is in use on this PC\n"),
            std::string::npos)
      << shown;
  EXPECT_EQ(shown.find("after a gap"), std::string::npos);
}

TEST_F(TvoTest, VerifyFailsOnADamagedOrIncompleteArchive) {
  BuildArchive("C:\\b.tvo", {{"big.pst", std::string(5000, 'x') + "tail"}},
               Record({{"BackupDatas", "big.pst;lost.pst"}}, "01000000000"));
  EXPECT_EQ(Tvo({"verify", "C:\\b.tvo"}), kTvoFailed);
  EXPECT_NE(out.str().find("MISSING lost.pst"), std::string::npos);

  BuildArchive("C:\\c.tvo", {{"big.pst", std::string(5000, 'x') + "tail"}},
               Record({{"BackupDatas", "big.pst"}}, "01000000000"));
  EXPECT_EQ(Tvo({"verify", "C:\\c.tvo"}), kTvoOk);
  std::string bytes = tp.drive.Get("C:\\c.tvo");
  const std::size_t data = 30 + static_cast<unsigned char>(bytes[26]) + static_cast<unsigned char>(bytes[28]);
  bytes[data + 3] ^= 0x20;
  tp.drive.Put("C:\\c.tvo", bytes);
  EXPECT_EQ(Tvo({"verify", "C:\\c.tvo"}), kTvoFailed);
  EXPECT_NE(out.str().find("DAMAGED big.pst"), std::string::npos) << out.str();
}

TEST_F(TvoTest, ProtectedArchiveNeedsTheRightPasswordFile) {
  BuildSample("pw 1");
  EXPECT_EQ(Tvo({"verify", "C:\\b.tvo"}), kTvoFailed);
  EXPECT_NE(err.str().find("--password-file"), std::string::npos);

  tp.drive.Put("C:\\pw.txt", "wrong\r\n");
  EXPECT_EQ(Tvo({"verify", "C:\\b.tvo", "--password-file", "C:\\pw.txt"}), kTvoFailed);
  EXPECT_NE(err.str().find("Incorect Password or Invalid backup file!"), std::string::npos);

  tp.drive.Put("C:\\pw.txt", "pw 1\n");
  EXPECT_EQ(Tvo({"verify", "C:\\b.tvo", "--password-file", "C:\\pw.txt"}), kTvoOk) << err.str();
}

TEST_F(TvoTest, BadCommandLinesAreRefusedWithUsage) {
  BuildSample();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate", "C:\\b.tvo"},
           {"info"},
           {"info", "C:\\b.tvo", "extra"},
           {"extract", "C:\\b.tvo"},
           {"list", "C:\\b.tvo", "--item", "datas"},
           {"verify", "C:\\b.tvo", "--password-file"},
           {"info", "C:\\missing.tvo"},
           {"info", "C:\\b.tvo", "--password-file", "C:\\nofile"},
           {"extract", "C:\\b.tvo", "C:\\out", "--item", "nonsense"},
           {"restore", "C:\\b.tvo", "--profile", "Work"},
           {"restore", "C:\\b.tvo", "--profile", "Work", "--items", "signatures"}}) {
    EXPECT_EQ(Tvo(args), kTvoUsage) << (args.empty() ? "" : args[0]);
    EXPECT_FALSE(err.str().empty());
  }
}

}  // namespace
}  // namespace tarvo
