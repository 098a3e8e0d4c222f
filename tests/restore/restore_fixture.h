#pragma once
// A main window over the test platform with an Outlook 2010-style target profile under a
// per-test registry branch (so the tests also run against Wine's registry), and archives
// built in the test through the zip component.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "jobs/app.h"
#include "forms/frm_main.h"
#include "forms/frm_pwd.h"
#include "jobs/restore_job.h"
#include "jobs/run_log.h"
#include "support/test_platform.h"

namespace tarvo {

using Files = std::vector<std::pair<std::string, std::string>>;  // entry name, bytes

class RestoreFixture : public ::testing::Test {
 protected:
  static constexpr const char* kUser = "C:\\Users\\tester";
  static constexpr const char* kLocalOutlook = "C:\\Users\\tester\\AppData\\Local\\Microsoft\\Outlook";
  static constexpr const char* kRoaming = "C:\\Users\\tester\\AppData\\Roaming\\Microsoft";

  RestoreFixture() {
    AppState& st = app.state;
    st.ExeFolder = st.DataFolder = tp.system.programFolder;
    st.InfoRecordPath = st.DataFolder + "\\mailvault.dat";
    st.LogFile = st.DataFolder + "\\brlog.dat";
    st.SettingsFile = st.DataFolder + "\\settings.dat";
    app.zip.WorkFolder = st.DataFolder;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    branch = std::string("HKEY_CURRENT_USER\\Software\\TarvoTest\\h8-") + info->test_suite_name() + "-" + info->name();
    app.reg.DeleteKeyTree(branch);
    st.env.ProfilesKey = branch + "\\Profiles";
    st.env.OfficeVersion = "14.0";
    st.env.WinVersion = "6.1";
    st.env.UserProfilePath = kUser;
    tp.drive.MakeFolder(std::string(kUser) + "\\AppData\\Roaming\\Microsoft\\Outlook");
    tp.drive.MakeFolder(kLocalOutlook);
    form.cbTarget.text = "Work";
  }
  ~RestoreFixture() override { app.reg.DeleteKeyTree(branch); }

  std::string ProfileKey(const std::string& profile = "Work") const { return app.state.env.ProfilesKey + "\\" + profile; }

  // The record's six header lines, then the given lines and "BackupItem".
  static std::string Record(const std::vector<std::pair<std::string, std::string>>& keys, const std::string& flags,
                            const std::string& note = "weekly") {
    std::string text = "BackupComputer=PC1\r\nBackupLogonUser=anna\r\nBackupIdentity=Home\r\n"
                       "BackupTime=3/14/2013 10:05:12 AM\r\nOutlookversion=Outlook 2010\r\nBackupInformation=" +
                       note + "\r\n";
    for (const auto& [k, v] : keys) text += k + "=" + v + "\r\n";
    return text + "BackupItem=" + flags + "\r\n";
  }

  // Writes an archive at path holding files (and a record when record is not empty).
  void BuildArchive(const std::string& path, const Files& files, const std::string& record,
                    const std::string& password = "") {
    const std::string staging = "C:\\staging";
    tp.drive.MakeFolder(staging);
    // Windows cannot replace an archive the program still holds open from an earlier opening.
    app.zip.CloseArchive();
    ZipComponent zip(tp.drive.fs());
    zip.WorkFolder = app.state.DataFolder;
    ASSERT_TRUE(zip.NewArchive(path));
    for (const auto& [name, bytes] : files) {
      tp.drive.Put(staging + "\\" + name, bytes);
      zip.AddFile(staging + "\\" + name);
    }
    if (!record.empty()) {
      tp.drive.Put(staging + "\\mailvault.dat", record);
      zip.AddFile(staging + "\\mailvault.dat");
    }
    zip.EncryptArchive = password.empty() ? 0 : 1;
    zip.WritePassword = password;
    ASSERT_TRUE(zip.WriteArchive());
    zip.CloseArchive();
  }

  // Chooses path in the restore tab; a protected archive is answered with password
  // (nullopt: Cancel).
  void Open(const std::string& path, std::optional<std::string> password = std::nullopt) {
    tp.ui.openAnswers.push_back(path);
    tp.ui.onModal = [password](Form& f) {
      auto& pwd = dynamic_cast<FrmPwd&>(f);
      if (password) {
        pwd.txtPassword.text = *password;
        pwd.cmdOK_Click();
      } else {
        pwd.cmdExit_Click();
      }
    };
    form.cmdSourceFile_Click();
  }

  void SeedKey(const std::string& keyPath) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    ASSERT_EQ(app.reg.api().CreateKey(root, sub, &key), kErrorSuccess) << keyPath;
    app.reg.api().CloseKey(key);
  }
  void SeedValue(const std::string& keyPath, const std::string& name, std::uint32_t type, const std::string& bytes) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    ASSERT_EQ(app.reg.api().CreateKey(root, sub, &key), kErrorSuccess);
    app.reg.api().SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
    app.reg.api().CloseKey(key);
  }
  // Raw bytes of a value, or "<missing>".
  std::string ValueBytes(const std::string& keyPath, const std::string& name) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    if (app.reg.api().OpenKey(root, sub, kKeyRead, &key) != kErrorSuccess) return "<missing>";
    std::uint32_t type = 0, size = 0;
    std::string out = "<missing>";
    if (app.reg.api().QueryValue(key, name, &type, nullptr, &size) == kErrorSuccess) {
      out.assign(size, '\0');
      app.reg.api().QueryValue(key, name, &type, reinterpret_cast<std::uint8_t*>(out.data()), &size);
    }
    app.reg.api().CloseKey(key);
    return out;
  }

  TestPlatform tp;
  App app{tp.platform};
  FrmMain form{app};
  RunLogSink logSink{app};
  RestoreJob restorer{app, {}, logSink};  // the restorers, run one by one
  std::string branch;
};

// UTF-16LE of ASCII text with its NUL, as Outlook stores PT_UNICODE values.
inline std::string Utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out + std::string(2, '\0');
}

// A Unicode PST store entry ID: the 54-byte header of the mspst provider, then the path.
inline std::string StoreEntryId(const std::string& path) {
  std::string id(4, '\0');
  id += std::string("\x38\xA1\xBB\x10\x05\xE5\x10\x1A\xA1\xBB\x08\x00\x2B\x2A\x56\xC2", 16);
  id += std::string(2, '\0');
  id += std::string("mspst.dll\0", 10);
  id += std::string(4, '\0');
  id += std::string("\x4E\x49\x54\x41\xF9\xBF\xB8\x01\x00\xAA\x00\x37\xD9\x6E\x00\x00", 16);
  id += std::string(2, '\0');
  return id + Utf16z(path);
}

}  // namespace tarvo
