#pragma once
// A main window over the test platform with one Outlook-like profile's places set up,
// registry keys under a per-test branch so the tests also run against Wine's registry.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "jobs/app.h"
#include "forms/frm_main.h"
#include "jobs/backup_job.h"
#include "jobs/restore_job.h"
#include "jobs/run_log.h"
#include "core/settings.h"
#include "platform/codepage.h"
#include "support/test_platform.h"

namespace tarvo {

// Forwards to the scripted Ui and lets a test act at each pump of the window messages.
class HookUi : public Ui {
 public:
  explicit HookUi(ScriptedUi& inner) : inner_(inner) {}
  std::function<void()> onPump;
  int MessageBox(const std::string& t, const std::string& c, MsgButtons b, MsgIcon i) override {
    return inner_.MessageBox(t, c, b, i);
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& r) override { return inner_.SaveFileDialog(r); }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& r) override { return inner_.OpenFileDialog(r); }
  std::string BrowseForFolder(const std::string& t, int f) override { return inner_.BrowseForFolder(t, f); }
  void ShowModal(Form& f) override { inner_.ShowModal(f); }
  void PumpMessages() override {
    inner_.PumpMessages();
    if (onPump) onPump();
  }
  void SetBusyCursor(bool on) override { inner_.SetBusyCursor(on); }
  int PopupMenu(const std::vector<std::string>& e) override { return inner_.PopupMenu(e); }

 private:
  ScriptedUi& inner_;
};

class BackupFixture : public ::testing::Test {
 protected:
  static constexpr const char* kRoaming = "C:\\Users\\tester\\AppData\\Roaming\\Microsoft";

  BackupFixture() {
    AppState& st = app.state;
    st.ExeFolder = st.DataFolder = tp.system.programFolder;
    st.InfoRecordPath = st.DataFolder + "\\mailvault.dat";
    st.LogFile = st.DataFolder + "\\brlog.dat";
    st.SettingsFile = st.DataFolder + "\\settings.dat";
    st.ComputerName = "PC1";
    st.LogonUserName = "anna";
    app.zip.WorkFolder = st.DataFolder;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    branch = std::string("HKEY_CURRENT_USER\\Software\\TarvoTest\\h7-") + info->test_suite_name() + "-" +
             info->name();
    app.reg.DeleteKeyTree(branch);
    st.env.ProfilesKey = branch + "\\Profiles";
    st.env.OfficeVersion = "14.0";
    st.env.WinVersion = "6.1";
    st.env.UserProfilePath = "C:\\Users\\tester";
    st.loc.AccountsKey = profileKey() + "\\9375CFF0413111d3B88A00104B2A6676";
    st.loc.OptionsKey = branch + "\\Options";
    st.loc.SignaturesPath = std::string(kRoaming) + "\\Signatures";
    st.loc.StationeryPath = "C:\\Program Files\\Common Files\\Microsoft Shared\\Stationery";
    st.loc.RulesPath = std::string(kRoaming) + "\\Outlook";
    st.loc.PreferencesPath = st.loc.RulesPath;
    st.loc.TemplatesPath = std::string(kRoaming) + "\\Templates";
    st.loc.ContactsPath = "C:\\Users\\tester\\Contacts";
    cleanup_.push_back(branch);
  }
  ~BackupFixture() override {
    for (const std::string& key : cleanup_) app.reg.DeleteKeyTree(key);
  }

  // Registry seeding, by full key path ("HKEY_CURRENT_USER\...").
  void SetBinary(const std::string& keyPath, const std::string& name, const std::string& bytes);
  void SetString(const std::string& keyPath, const std::string& name, const std::string& text);
  // A data file subkey of the profile whose "01020fff" holds a PST store entry ID naming
  // path, its path stored as UTF-16 (wide) or in the ANSI code page.
  void SeedDataFile(const std::string& subkey, const std::string& path, bool wide = true);
  void Setting(const std::string& section, const std::string& key, const std::string& value) {
    WriteSetting(tp.drive.fs(), app.state.SettingsFile, section, key, value);
  }

  // The archive's entry names, and its information record as key=value lines in order.
  std::vector<std::string> EntryNames(const std::string& archive, const std::string& password = "");
  std::vector<std::string> RecordLines(const std::string& archive, const std::string& password = "");
  std::string LogText();

  std::string profileKey() const { return app.state.env.ProfilesKey + "\\Outlook"; }

  TestPlatform tp;
  HookUi hookUi{tp.ui};
  Platform platform{tp.registry, tp.drive.fs(), tp.system, tp.processes, tp.shell, hookUi, tp.office};
  App app{platform};
  FrmMain frm{app};
  RunLogSink logSink{app};
  BackupJob job{app, {}, logSink};        // the collectors, run one by one
  RestoreJob restorer{app, {}, logSink};  // the restorers, run one by one
  std::string branch;  // HKEY_CURRENT_USER\Software\TarvoTest\<test>
  std::vector<std::string> cleanup_;  // key branches removed after the test
};

// A PST store entry ID as Outlook writes it: flags, the provider's UID, the provider DLL
// name, then the path.
inline std::string StoreEntryId(const std::string& path, bool wide) {
  std::string id(4, '\0');
  const unsigned char uid[] = {0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10, 0x1a,
                               0xa1, 0xbb, 0x08, 0x00, 0x2b, 0x2a, 0x56, 0xc2};
  id.append(reinterpret_cast<const char*>(uid), sizeof uid);
  id += std::string("\0\0mspst.dll\0", 12);
  id += std::string(4, '\0');
  if (wide) {
    for (unsigned char c : path) {  // ASCII test paths
      id += static_cast<char>(c);
      id += '\0';
    }
    id += std::string(2, '\0');
  } else {
    id += Utf8ToAnsi(path) + '\0';
  }
  return id;
}

inline void BackupFixture::SetBinary(const std::string& keyPath, const std::string& name, const std::string& bytes) {
  std::string sub = keyPath;
  const RegKey root = app.reg.ParseKeyPath(sub);
  RegKey key = 0;
  ASSERT_EQ(tp.registry.CreateKey(root, sub, &key), kErrorSuccess) << keyPath;
  tp.registry.SetValue(key, name, kRegBinary, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                       static_cast<std::uint32_t>(bytes.size()));
  tp.registry.CloseKey(key);
}

inline void BackupFixture::SetString(const std::string& keyPath, const std::string& name, const std::string& text) {
  std::string sub = keyPath;
  const RegKey root = app.reg.ParseKeyPath(sub);
  RegKey key = 0;
  ASSERT_EQ(tp.registry.CreateKey(root, sub, &key), kErrorSuccess) << keyPath;
  tp.registry.SetValue(key, name, kRegSz, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                       static_cast<std::uint32_t>(text.size() + 1));
  tp.registry.CloseKey(key);
}

inline void BackupFixture::SeedDataFile(const std::string& subkey, const std::string& path, bool wide) {
  SetBinary(profileKey() + "\\" + subkey, "01020fff", StoreEntryId(path, wide));
}

inline std::vector<std::string> BackupFixture::EntryNames(const std::string& archive, const std::string& password) {
  ZipComponent zip(tp.drive.fs());
  std::vector<std::string> names;
  if (!zip.OpenArchive(archive)) return names;
  zip.ReadPassword = password;
  for (const ZipEntry& e : zip.Entries()) names.push_back(e.name);
  zip.CloseArchive();
  return names;
}

inline std::vector<std::string> BackupFixture::RecordLines(const std::string& archive, const std::string& password) {
  ZipComponent zip(tp.drive.fs());
  std::vector<std::string> lines;
  const std::string scratch = "C:\\scratch";
  tp.drive.MakeFolder(scratch);
  if (!zip.OpenArchive(archive)) return lines;
  zip.ReadPassword = password;
  const auto entry = zip.GetEntry("mailvault.dat");
  if (!entry || !zip.ExtractTo(*entry, scratch)) return lines;
  zip.CloseArchive();
  const std::string text = tp.drive.Get(scratch + "\\mailvault.dat");
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "record line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

inline std::string BackupFixture::LogText() {
  return tp.drive.fs().FileExists(app.state.LogFile) ? tp.drive.Get(app.state.LogFile) : std::string();
}

}  // namespace tarvo
