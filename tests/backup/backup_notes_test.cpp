// What a backup does not protect: OSTs, PSTs the profile does not use, the new Outlook.
#include "backup/record_notes.h"
#include "backup_fixture.h"
#include "jobs/run_notes.h"
#include "outlook/outlook_folders.h"

namespace tarvo {
namespace {

constexpr const char* kNow = "3/7/2024 1:05:09 PM";
constexpr const char* kLocal = "~\\AppData\\Local\\Microsoft\\Outlook";

std::string WideText(const std::string& ascii) {
  std::string bytes;
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes + std::string(2, '\0');
}

class BackupNotesTest : public BackupFixture {
 protected:
  void SetDword(const std::string& keyPath, const std::string& name, std::uint32_t value) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    ASSERT_EQ(tp.registry.CreateKey(root, sub, &key), kErrorSuccess) << keyPath;
    const std::uint8_t data[4] = {static_cast<std::uint8_t>(value), 0, 0, 0};
    tp.registry.SetValue(key, name, kRegDword, data, 4);
    tp.registry.CloseKey(key);
  }
};

struct Section {
  std::string value;  // "01020fff" holds a store entry ID, "001f6610" / "001e6610" a plain path
  std::string path;
};

std::vector<std::string> ManyPsts(int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) files.push_back(std::string(kLocal) + "\\old" + std::to_string(i) + ".pst");
  return files;
}

// "~" stands for the case's own user folder.
TEST_F(BackupNotesTest, EachFindingIsNotedInTheRecordAndNothingElse) {
  struct Case {
    const char* name;
    std::vector<Section> sections;
    std::vector<std::string> files;
    std::string documents;  // "Personal" of the user's shell folders; empty: not set
    int newOutlook;         // UseNewOutlook; -1: not set
    bool dataFiles;
    std::vector<std::string> noted;  // what each note says, in order
  };
  const Case cases[] = {
      {"OST-only profile", {{"001f6610", std::string(kLocal) + "\\anna@example.org.ost"}},
       {std::string(kLocal) + "\\anna@example.org.ost"}, "", -1, true,
       {"anna@example.org.ost is an offline copy (OST) of a mailbox on the mail server"}},
      {"OST in a store entry ID and an ANSI offline path",
       {{"01020fff", "~\\Mail\\imap.ost"}, {"001e6610", "D:\\Cache\\work.OST"}}, {}, "", -1, true,
       {"~\\Mail\\imap.ost is an offline copy", "D:\\Cache\\work.OST is an offline copy"}},
      {"unattached PSTs in the local folder and in moved Documents",
       {{"01020fff", "C:\\Mail\\Outlook.pst"}},
       {"C:\\Mail\\Outlook.pst", std::string(kLocal) + "\\Old.pst", std::string(kLocal) + "\\notes.txt",
        "~\\Moved\\Outlook Files\\Archive 2019.pst"},
       "%USERPROFILE%\\Moved", -1, true,
       {std::string(kLocal) + "\\Old.pst is a PST data file that is not attached to this profile",
        "~\\Moved\\Outlook Files\\Archive 2019.pst is a PST data file that is not attached"}},
      {"attached PST spelled otherwise is not listed", {{"01020fff", "~\\documents\\\\Outlook Files\\OUTLOOK.PST"}},
       {"~\\Documents\\Outlook Files\\Outlook.pst"}, "", -1, true, {}},
      {"data files not chosen", {}, {std::string(kLocal) + "\\Old.pst"}, "", -1, false, {}},
      {"new Outlook on", {}, {}, "", 1, false, {"The new Outlook is in use on this PC"}},
      {"new Outlook off", {}, {}, "", 0, true, {}},
      {"many PSTs are counted beyond the listed ones", {}, ManyPsts(10), "", -1, true,
       {".pst is a PST", ".pst is a PST", ".pst is a PST", ".pst is a PST", ".pst is a PST", ".pst is a PST",
        ".pst is a PST", ".pst is a PST", "And 2 more PST files"}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = "c" + std::to_string(++n), home = "C:\\Users\\" + id, keys = branch + "\\" + id;
    const auto expand = [&](std::string text) {
      for (auto at = text.find('~'); at != std::string::npos; at = text.find('~', at)) text.replace(at, 1, home);
      return text;
    };
    app.state.env.UserProfilePath = tp.system.env["USERPROFILE"] = home;
    app.state.env.ProfilesKey = keys + "\\Profiles";
    const NoteKeys noteKeys{keys + "\\Preferences", keys + "\\User Shell Folders", keys + "\\Shell Folders"};
    int s = 0;
    for (const Section& section : c.sections) {
      const std::string key = profileKey() + "\\s" + std::to_string(++s), path = expand(section.path);
      SetBinary(key, section.value,
                section.value == "01020fff" ? StoreEntryId(path, true)
                : section.value == "001f6610" ? WideText(path) : path + '\0');
    }
    for (const std::string& file : c.files) tp.drive.Put(expand(file), "!BDN");
    if (!c.documents.empty()) SetString(noteKeys.userShellFolders, "Personal", c.documents);
    if (c.newOutlook >= 0) SetDword(noteKeys.newOutlook, "UseNewOutlook", static_cast<std::uint32_t>(c.newOutlook));

    app.state.InfoRecordPath = app.state.DataFolder + "\\" + id + ".dat";
    BackupRequest request;
    request.profile = "Outlook";
    request.boxes[0] = c.dataFiles;
    const auto notes = NoteUnprotectedData(app, request, logSink, noteKeys);
    ASSERT_EQ(notes.size(), c.noted.size()) << ::testing::PrintToString(notes);
    for (std::size_t i = 0; i < notes.size(); ++i)
      EXPECT_NE(notes[i].find(expand(c.noted[i])), std::string::npos) << notes[i];
    if (notes.empty()) {
      EXPECT_FALSE(tp.drive.fs().FileExists(app.state.InfoRecordPath)) << "nothing to note, yet the record grew";
    } else {
      EXPECT_EQ(archive::ReadRecordNotes(tp.drive.fs(), app.state.InfoRecordPath), notes);
    }
  }
  EXPECT_EQ(LogText(), "");
}

// Where users see it: after the summary and the log's own entries, before "BackupItem";
// the automatic run keeps the note in the record only.
TEST_F(BackupNotesTest, RunTellsTheNoteAfterItsOwnLinesAndKeepsItInTheRecord) {
  const std::string target = "C:\\Backup\\n.tvo";
  tp.drive.MakeFolder("C:\\Backup");
  Setting("General", "checkbackupfile", "0");
  tp.drive.Put("C:\\Mail\\Outlook.pst", "pst");
  SeedDataFile("0a0d", "C:\\Mail\\Outlook.pst");
  const std::string old = LocalOutlookFolder(app.state.env) + "\\Old.pst";
  tp.drive.Put(old, "old");
  for (bool unattended : {false, true}) {
    SCOPED_TRACE(unattended ? "automatic" : "interactive");
    tp.drive.Put(app.state.LogFile, "");
    BackupRequest request;
    request.profile = "Outlook";
    request.boxes[0] = true;
    request.target = target;
    request.unattended = unattended;
    const BackupResult result = BackupJob(app, request, logSink).Run();
    ASSERT_TRUE(result.written);
    ASSERT_EQ(result.notes.size(), 1u);
    EXPECT_EQ(result.notes[0].rfind(old + " is a PST data file that is not attached", 0), 0u) << result.notes[0];

    const auto lines = RecordLines(target);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "BackupNote1=" + result.notes[0]);
    EXPECT_EQ(lines.back(), "BackupItem=11000000000");
    const std::string message = BackupMessage(tp.drive.fs(), request, result).text;
    const std::string summary = "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\tSucceeded!\t";
    EXPECT_EQ(message, summary + "\r\n\r\nNot protected by this backup:\r\n- " + result.notes[0]);
    const std::string log = LogText(), noteEntry = std::string(kNow) + " Note: " + result.notes[0] + "\n\r\n";
    if (unattended) {
      EXPECT_EQ(log, "");
    } else {
      EXPECT_EQ(log.substr(log.size() - noteEntry.size()), noteEntry);
      EXPECT_NE(log.find("Data was Completed!\r\r\n" + noteEntry), std::string::npos) << log;
    }
  }
}

// Notes come back from archives: a line break cannot add a record line, and each note
// and their number stay bounded however the record was made.
TEST_F(BackupNotesTest, NotesCannotForgeRecordLinesAndStayBounded) {
  const std::string record = app.state.DataFolder + "\\r.dat";
  std::vector<std::string> notes{"evil.pst\r\nBackupItem=11111111111", std::string(5000, 'x'),
                                 std::string(596, 'y') + "\xC3\xA9" + std::string(10, 'z')};
  notes.resize(archive::kMaxNotes + 5, "more");
  archive::WriteRecordNotes(tp.drive.fs(), record, notes);
  SaveINI(tp.drive.fs(), "BackupItem", "00000000000", record);
  EXPECT_EQ(GetINI(tp.drive.fs(), "BackupItem", record), "00000000000");
  const auto read = archive::ReadRecordNotes(tp.drive.fs(), record);
  ASSERT_EQ(read.size(), archive::kMaxNotes);
  EXPECT_EQ(read[0], "evil.pst??BackupItem=11111111111");
  EXPECT_EQ(read[1].size(), archive::kMaxNoteBytes);
  EXPECT_EQ(read[2], std::string(596, 'y') + "...");  // the accented letter is not split
}

}  // namespace
}  // namespace tarvo
