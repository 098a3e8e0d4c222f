// `tvo report` over a share of several PCs' archives, made by the real automatic backup
// with dates in the past: the rows, the exit code, the CSV read back and the page.
// With TARVO_REPORT_TREE set the share is also copied there, for the Wine test and the
// page's screenshot.
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <sstream>

#include "backup/backup_fixture.h"
#include "core/last_run.h"
#include "tvo/report_rows.h"
#include "tvo/tvo_commands.h"

namespace tarvo {
namespace {

constexpr const char* kShare = "C:\\Share";

// Noon, `days` before today (UTC), so that ages in whole days do not depend on the hour.
LocalTime DaysAgo(int days) {
  const std::time_t t = std::time(nullptr) - static_cast<std::time_t>(days) * 24 * 3600;
  std::tm parts{};
#ifdef _WIN32
  gmtime_s(&parts, &t);
#else
  gmtime_r(&t, &parts);
#endif
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, 12, 0, 0};
}

// RFC 4180, as a spreadsheet reads it.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
        rows.back().back() += text[++i];
      else if (c == '"')
        quoted = false;
      else
        rows.back().back() += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      rows.back().emplace_back();
    } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      ++i;
      rows.emplace_back(1);
    } else {
      rows.back().back() += c;
    }
  }
  if (rows.back().size() == 1 && rows.back()[0].empty()) rows.pop_back();
  return rows;
}

class ReportTest : public BackupFixture {
 protected:
  void SetUp() override {
    SetString(profileKey(), "Profile", "yes");
    tp.drive.Put("C:\\Mail\\Outlook.pst", "pst");
    SeedDataFile("0a0d", "C:\\Mail\\Outlook.pst");
    tp.drive.Put(app.state.loc.SignaturesPath + "\\Work.htm", "sig");
    tp.drive.MakeFolder("C:\\work");
  }
  // One automatic run of a PC onto its own folder of the share.
  void Backup(const std::string& pc, const std::string& user, int daysAgo, const std::string& mask,
              const std::string& password = "", std::size_t pstSize = 3) {
    app.state.ComputerName = pc;
    app.state.LogonUserName = user;
    tp.system.now = DaysAgo(daysAgo);
    std::string pst(pstSize, '\0');
    std::uint32_t seed = 12345;  // incompressible, so that the archives grow with it
    for (char& c : pst) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    tp.drive.Put("C:\\Mail\\Outlook.pst", pst);
    std::string folder = pc;  // the PC's folder of the share, in characters Windows allows
    for (char& c : folder)
      if (static_cast<unsigned char>(c) < 0x20 || std::string("<>:\"/\\|?*").find(c) != std::string::npos) c = '_';
    tp.drive.MakeFolder(std::string(kShare) + "\\" + folder);
    app.state.CommandLine =
        " sf=Outlookxm=" + mask + "ps=" + password + "bf=" + kShare + "\\" + folder + "\\mvbox-Outlook.tvo";
    frm.RunAutoBackup();
  }
  void MakeShare() {
    Backup("PC-A", "anna", 15, "101000000", "", 4000);
    Backup("PC-A", "anna", 8, "101000000", "", 5000);
    Backup("PC-A", "anna", 1, "101000000", "", 6000);
    Backup("PC-B", "bob", 27, "100000000");
    Backup("PC-B", "bob", 20, "100000000");
    Backup("PC-C", "carl", 2, "100000000", "pw");
    Backup("PC-D", "dora", 9, "101000000");
    Backup("PC-D", "dora", 2, "100000000");  // the signatures are gone
    Backup("PC-E", "eve", 12, "100000000");
    Backup("PC-E", "eve", 3, "100000000");
    // PC-E's newest archive cut short, as by a full disk.
    const std::string cut = std::string(kShare) + "\\PC-E\\mvbox-Outlook-" + DateTimeMMDDYYYYHHMM(DaysAgo(3)) + ".tvo";
    const std::string whole = tp.drive.Get(cut);
    tp.drive.Put(cut, whole.substr(0, whole.size() / 2));
    // Found by content under any name; a zip of someone else's is none of ours.
    Backup("PC-F", "j\xc3\xbcrgen", 1, "100000000");  // the record holds it in the ANSI code page
    const std::string f = std::string(kShare) + "\\PC-F\\mvbox-Outlook-" + DateTimeMMDDYYYYHHMM(DaysAgo(1)) + ".tvo";
    tp.drive.fs().RenameFile(f, std::string(kShare) + "\\PC-F\\weekly.bak");
    tp.drive.Put(std::string(kShare) + "\\other.zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    tp.drive.Put(std::string(kShare) + "\\notes.txt", "not an archive");
    if (const char* keep = std::getenv("TARVO_REPORT_TREE")) {
      std::filesystem::copy(
          std::filesystem::u8path(tp.drive.Host(kShare)), std::filesystem::u8path(keep),
          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
    }
  }
  int Report(std::vector<std::string> args) {
    ConsoleUi ui(err);
    TvoHost host{platform, ui, [](const std::string& p) { return p; }, "C:\\work", false};
    args.insert(args.begin(), "report");
    out.str("");
    err.str("");
    tp.system.now = DaysAgo(0);
    tp.system.now.hour = 13;
    return RunTvo(args, host, out, err);
  }
  std::ostringstream out, err;
};

TEST_F(ReportTest, OneRowPerComputerUserAndProfileWithItsStatus) {
  MakeShare();
  tp.drive.Put("C:\\pw.txt", "pw\r\n");
  struct Expected {
    std::string computer, status, items, isProtected, kept, note;
  };
  // Without the password the protected PC is one row per folder and archive name.
  const std::vector<std::pair<std::vector<std::string>, std::vector<Expected>>> runs = {
      {{kShare, "--csv", "C:\\r.csv"},
       {{"?", "damaged", "0", "no", "0", "does not open"},
        {"?", "ok", "0", "yes", "1", "protected: its record needs the password"},
        {"PC-A", "ok", "2", "no", "3", ""},
        {"PC-B", "stale", "1", "no", "2", "no backup for more than 8 days"},
        {"PC-D", "incomplete", "1", "no", "2", "lacks what earlier backups had: signatures"},
        {"PC-E", "stale", "1", "no", "1", "no backup for more than 8 days"},
        {"PC-F", "ok", "1", "no", "1", ""}}},
      {{kShare, "--csv", "C:\\r.csv", "--password-file", "C:\\pw.txt", "--days", "30"},
       {{"?", "damaged", "0", "no", "0", "does not open"},
        {"PC-A", "ok", "2", "no", "3", ""},
        {"PC-B", "ok", "1", "no", "2", ""},
        {"PC-C", "ok", "1", "yes", "1", ""},
        {"PC-D", "incomplete", "1", "no", "2", "signatures"},
        {"PC-E", "ok", "1", "no", "1", ""},
        {"PC-F", "ok", "1", "no", "1", ""}}},
  };
  for (const auto& [args, expected] : runs) {
    SCOPED_TRACE(args.size());
    EXPECT_EQ(Report(args), kTvoFailed) << err.str();
    const auto csv = ParseCsv(tp.drive.Get("C:\\r.csv"));
    ASSERT_EQ(csv.size(), expected.size() + 1) << tp.drive.Get("C:\\r.csv");
    ASSERT_EQ(csv[0].size(), 14u);
    EXPECT_EQ(csv[0][11], "status");
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const auto& row = csv[i + 1];
      const Expected& e = expected[i];
      ASSERT_EQ(row.size(), 14u) << i;
      EXPECT_EQ(row[0], e.computer) << i;
      EXPECT_EQ(row[11], e.status) << row[0];
      EXPECT_EQ(row[7], e.items) << row[0];
      EXPECT_EQ(row[9], e.isProtected) << row[0];
      EXPECT_EQ(row[10], e.kept) << row[0];
      EXPECT_NE(row[12].find(e.note), std::string::npos) << row[0] << ": " << row[12];
      if (e.note.empty()) {
        EXPECT_EQ(row[12], "") << row[0];
      }
    }
    // The printed table has the same rows, the damaged file with its path.
    EXPECT_NE(out.str().find("PC-E"), std::string::npos);
    EXPECT_NE(out.str().find("7 row(s):"), std::string::npos) << out.str();
  }
  const auto csv = ParseCsv(tp.drive.Get("C:\\r.csv"));
  EXPECT_EQ(csv[2][1], "anna");
  EXPECT_EQ(csv[2][2], "Outlook");
  EXPECT_EQ(csv[2][4], "1");              // a day old
  EXPECT_GT(std::stod(csv[2][6]), 10.0);  // grown with its data file
  EXPECT_LT(std::stod(csv[2][6]), 20.0);
  EXPECT_EQ(csv[2][8], "datas,signatures");
  EXPECT_EQ(csv[7][1], "j\xc3\xbcrgen");  // read back as the restore reads it
}

TEST_F(ReportTest, ExitCodeTellsScriptsWhetherAllIsWell) {
  Backup("PC-A", "anna", 1, "101000000");
  Backup("PC-B", "bob", 2, "100000000");
  EXPECT_EQ(Report({kShare}), kTvoOk) << out.str() << err.str();
  EXPECT_EQ(Report({kShare, "--days", "1"}), kTvoFailed) << out.str();  // PC-B is two days old
  EXPECT_EQ(Report({kShare, "--verify"}), kTvoOk) << out.str();
  // A damaged entry inside an archive that still opens is found only when asked to verify.
  const std::string a = std::string(kShare) + "\\PC-A\\mvbox-Outlook-" + DateTimeMMDDYYYYHHMM(DaysAgo(1)) + ".tvo";
  std::string bytes = tp.drive.Get(a);
  // The data file's bytes follow its local header: 30 bytes, the name and the extra field.
  const std::size_t name = bytes.find("Outlook.pst");
  ASSERT_EQ(bytes.compare(name - 30, 4, "PK\x03\x04"), 0);
  const auto le16 = [&](std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
  };
  const std::size_t data = name + le16(name - 4) + le16(name - 2);
  bytes[data + 2] = static_cast<char>(bytes[data + 2] ^ 0x55);
  tp.drive.Put(a, bytes);
  EXPECT_EQ(Report({kShare}), kTvoOk);
  EXPECT_EQ(Report({kShare, "--verify"}), kTvoFailed);
  EXPECT_NE(out.str().find("damaged"), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("the entry Outlook.pst is damaged"), std::string::npos) << out.str();

  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {}, {kShare, "--days", "0"}, {kShare, "--days", "x"}, {"C:\\NoSuchFolder"}, {kShare, "--bogus"}})
    EXPECT_EQ(Report(bad), kTvoUsage) << (bad.empty() ? "" : bad.back());
}

// Names and notes from the archives are never taken for markup, control codes or formulas.
TEST_F(ReportTest, RecordValuesAreShownSafely) {
  Backup("<b>PC\x1b[2J", "=cmd|' /C calc'!A0", 1, "100000000");
  ASSERT_EQ(Report({kShare, "--csv", "C:\\r.csv", "--html", "C:\\r.html"}), kTvoOk) << err.str();
  EXPECT_EQ(out.str().find('\x1b'), std::string::npos);
  EXPECT_NE(out.str().find("<b>PC\\x1B[2J"), std::string::npos) << out.str();
  const auto csv = ParseCsv(tp.drive.Get("C:\\r.csv"));
  ASSERT_EQ(csv.size(), 2u);
  EXPECT_EQ(csv[1][1], "'=cmd|' /C calc'!A0");
  const std::string html = tp.drive.Get("C:\\r.html");
  EXPECT_NE(html.find("&lt;b&gt;PC?[2J"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  // One page: nothing fetched, nothing run.
  for (const char* outside : {"<script", "src=", "href=", "url(", "@import"})
    EXPECT_EQ(html.find(outside), std::string::npos) << outside;
  EXPECT_NE(html.find("<svg"), std::string::npos);
  EXPECT_NE(html.find("class=\"status ok\""), std::string::npos);
}

TEST(ReportDates, GeneralDatesOfAnyLocaleAndDatedNames) {
  const std::optional<LocalTime> none;
  const LocalTime march7{2024, 3, 7, 0, 0, 0};
  const struct {
    const char* text;
    std::optional<LocalTime> hint;
    LocalTime expected;
  } cases[] = {
      {"3/7/2024 1:05:09 PM", none, {2024, 3, 7, 13, 5, 9}},
      {"3/7/2024 12:05:09 AM", none, {2024, 3, 7, 0, 5, 9}},
      {"07.03.2024 13:05:09", none, {2024, 3, 7, 13, 5, 9}},
      {"07/03/2024 13:05:09", none, {2024, 3, 7, 13, 5, 9}},  // day first without AM/PM
      {"3/7/2024 13:05:09", march7, {2024, 3, 7, 13, 5, 9}},  // the dated name settles it
      {"2024-03-07 13:05:09", none, {2024, 3, 7, 13, 5, 9}},
      {"2024/3/7 13:05:09", none, {2024, 3, 7, 13, 5, 9}},
      {"25/12/2023 08:00:00", none, {2023, 12, 25, 8, 0, 0}},
      {"12/25/2023 8:00:00", none, {2023, 12, 25, 8, 0, 0}},
      {"3/7/24 1:05 PM", none, {2024, 3, 7, 13, 5, 0}},
  };
  for (const auto& c : cases) {
    const auto t = ParseBackupTime(c.text, c.hint);
    ASSERT_TRUE(t) << c.text;
    EXPECT_EQ(Stamp(*t) + ":" + std::to_string(t->second), Stamp(c.expected) + ":" + std::to_string(c.expected.second))
        << c.text;
  }
  for (const char* bad : {"", "Error", "13/13/2024 10:00:00", "3/7", "2024-02-30x"}) {
    const auto t = ParseBackupTime(bad, none);
    EXPECT_TRUE(!t || std::string(bad) == "2024-02-30x") << bad;
  }
  EXPECT_EQ(Stamp(*DatedNameTime("Z:\\s\\mvbox-Outlook-12-06-2026-09-30.tvo")), "2026-12-06 09:30");
  EXPECT_FALSE(DatedNameTime("Z:\\s\\mvbox-Outlook.tvo"));
  EXPECT_FALSE(DatedNameTime("Z:\\s\\x-13-06-2026-09-30.tvo"));
}

}  // namespace
}  // namespace tarvo
