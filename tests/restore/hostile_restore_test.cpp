// Every hostile archive of the generator through the window's restore, against a machine
// seeded with a target profile, a bystander profile, the Outlook options, files in every
// destination folder and sentinels around them. Whatever the archive holds, the run may
// change only its own places; a refused restore changes nothing but its log.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/item_table.h"
#include "forms/frm_main.h"
#include "forms/frm_pwd.h"
#include "jobs/app.h"
#include "platform/host_file_system.h"
#include "support/hostile/hostile_archives.h"
#include "support/test_platform.h"

namespace tarvo::hostile {
namespace {

// The file system of the run, noting the largest file it is asked to delete or to move:
// a work file that grew past an entry's declared size is caught even when it was removed.
class CountingFiles : public FileSystem {
 public:
  explicit CountingFiles(FileSystem& inner) : in_(inner) {}
  std::uint64_t largest = 0;

  bool FileExists(const std::string& p) override { return in_.FileExists(p); }
  bool FolderExists(const std::string& p) override { return in_.FolderExists(p); }
  std::optional<std::vector<std::string>> ListFiles(const std::string& f) override { return in_.ListFiles(f); }
  std::optional<std::string> StoredName(const std::string& p) override { return in_.StoredName(p); }
  std::optional<std::uint64_t> FileSize(const std::string& p) override { return in_.FileSize(p); }
  bool CreateFolder(const std::string& p) override { return in_.CreateFolder(p); }
  bool DeleteFile(const std::string& p) override { return Note(p), in_.DeleteFile(p); }
  bool RenameFile(const std::string& a, const std::string& b) override { return Note(a), in_.RenameFile(a, b); }
  bool ReplaceFile(const std::string& a, const std::string& b) override { return Note(a), in_.ReplaceFile(a, b); }
  bool SetNormalAttributes(const std::string& p) override { return in_.SetNormalAttributes(p); }
  std::optional<std::string> ReadAll(const std::string& p) override { return in_.ReadAll(p); }
  bool WriteAll(const std::string& p, const std::string& b) override { return Note(b.size()), in_.WriteAll(p, b); }
  bool Append(const std::string& p, const std::string& b) override { return in_.Append(p, b); }
  std::string CreateTempFile(const std::string& f, const std::string& x) override { return in_.CreateTempFile(f, x); }
  std::string NativePath(const std::string& p) override { return in_.NativePath(p); }
  std::optional<std::vector<std::string>> ListFolders(const std::string& f) override { return in_.ListFolders(f); }
  std::optional<std::int64_t> ModifiedTime(const std::string& p) override { return in_.ModifiedTime(p); }
  std::optional<std::uint64_t> FreeSpace(const std::string& f) override { return in_.FreeSpace(f); }
  std::unique_ptr<FileReader> OpenRead(const std::string& p) override { return in_.OpenRead(p); }
  std::unique_ptr<FileWriter> OpenWrite(const std::string& p) override { return in_.OpenWrite(p); }

 private:
  void Note(const std::string& path) { Note(in_.FileSize(path).value_or(0)); }
  void Note(std::uint64_t size) { largest = std::max(largest, size); }
  FileSystem& in_;
};

// Every file (Windows path -> bytes) and folder of the drive, and every registry value
// (key \ name -> type and bytes) under the roots given.
struct Snapshot {
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::map<std::string, std::string> values;
  std::set<std::string> keys;
};

inline constexpr const char* kUser = "C:\\Users\\tester";
inline constexpr const char* kLocalOutlook = "C:\\Users\\tester\\AppData\\Local\\Microsoft\\Outlook";
inline constexpr const char* kRoaming = "C:\\Users\\tester\\AppData\\Roaming\\Microsoft";

#ifdef _WIN32
// The registry of the Wine prefix is shared: an Office version no other test uses.
constexpr const char* kOfficeVersion = "90.0";
#else
constexpr const char* kOfficeVersion = "14.0";
#endif

std::string Upper(std::string text) {
  for (auto& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return text;
}

bool StartsWithKey(const std::string& path, const std::string& key) {
  const std::string p = Upper(path), k = Upper(key);
  return p == k || (p.size() > k.size() && p.compare(0, k.size(), k) == 0 && p[k.size()] == '\\');
}

// The folders a chosen item writes into (Windows 7 layout, Outlook 2010).
std::vector<std::string> Destinations(const std::string& item) {
  const std::string roaming = kRoaming;
  if (item == "datas") return {kLocalOutlook, roaming + "\\Outlook"};
  if (item == "pab") return {kLocalOutlook};
  if (item == "signatures") return {roaming + "\\Signatures"};
  if (item == "templates") return {roaming + "\\Templates"};
  if (item == "preferences") return {roaming + "\\Outlook"};
  if (item == "contacts") return {std::string(kUser) + "\\Contacts"};
  return {};
}

struct World {
  explicit World(const std::string& caseName);
  ~World() {
    app.zip.CloseArchive();
    app.reg.DeleteKeyTree(branch);
    app.reg.DeleteKeyTree(optionsKey);
  }
  World(const World&) = delete;
  World& operator=(const World&) = delete;

  void Seed(const std::string& keyPath, const std::string& name, std::uint32_t type, const std::string& bytes) {
    std::string sub = keyPath;
    const RegKey root = app.reg.ParseKeyPath(sub);
    RegKey key = 0;
    ASSERT_EQ(app.reg.api().CreateKey(root, sub, &key), kErrorSuccess) << keyPath;
    app.reg.api().SetValue(key, name, type, reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
    app.reg.api().CloseKey(key);
  }
  void SeedMachine();
  void DumpKey(const std::string& keyPath, Snapshot& into);
  Snapshot Take();
  std::string TargetKey() const { return app.state.env.ProfilesKey + "\\" + kTargetProfile; }
  // Chooses the archive in the restore tab, answering a password prompt with password.
  void Open(const std::string& path, const std::string& password);

  TestPlatform tp;
  CountingFiles files{tp.drive.fs()};
  Platform platform{tp.registry, files, tp.system, tp.processes, tp.shell, tp.ui, tp.office};
  App app{platform};
  FrmMain form{app};
  std::string branch, optionsKey;
};

World::World(const std::string& caseName) {
  AppState& st = app.state;
  st.ExeFolder = st.DataFolder = tp.system.programFolder;
  st.InfoRecordPath = st.DataFolder + "\\mailvault.dat";
  st.LogFile = st.DataFolder + "\\brlog.dat";
  st.SettingsFile = st.DataFolder + "\\settings.dat";
  app.zip.WorkFolder = st.DataFolder;
  branch = "HKEY_CURRENT_USER\\Software\\TarvoTest\\hostile-" + caseName;
  app.reg.DeleteKeyTree(branch);
  st.env.ProfilesKey = branch + "\\Profiles";
  st.env.OfficeVersion = kOfficeVersion;
  st.env.WinVersion = "6.1";
  st.env.UserProfilePath = kUser;
  optionsKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\" + st.env.OfficeVersion + "\\Outlook\\Options";
  form.cbTarget.text = kTargetProfile;
  SeedMachine();
}

std::string Utf16z(const std::string& ascii) {
  std::string out;
  for (char c : ascii) out += std::string{c, '\0'};
  return out + std::string(2, '\0');
}

void World::SeedMachine() {
  const std::string work = TargetKey(), home = app.state.env.ProfilesKey + "\\" + kSourceProfile;
  Seed(work + "\\8da5510c0f433a44b3a46d6e4c2b7d45", "01020fff", kRegBinary,
       std::string(4, '\0') + std::string("\x38\xA1\xBB\x10\x05\xE5\x10\x1A\xA1\xBB\x08\x00\x2B\x2A\x56\xC2", 16) +
           std::string(2, '\0') + std::string("mspst.dll\0", 10) + std::string(4, '\0') +
           std::string("\x4E\x49\x54\x41\xF9\xBF\xB8\x01\x00\xAA\x00\x37\xD9\x6E\x00\x00", 16) + std::string(2, '\0') +
           Utf16z("C:\\mail\\Home.pst"));
  Seed(work + "\\8da5510c0f433a44b3a46d6e4c2b7d45", "001e6700", kRegSz, std::string("C:\\mail\\Home.pst", 17));
  Seed(work + "\\c8a2f2e6b2a8d14a9c0e1f5b4d3a2c10", "001e6600", kRegSz, std::string("C:\\mail\\Contacts.pab", 21));
  Seed(work + "\\9375CFF0413111d3B88A00104B2A6676", "Account Name", kRegSz, std::string("old\0", 4));
  Seed(work + "\\0a0d020000000000c000000000000046", "001e023d", kRegSz, std::string("Work\0", 5));
  Seed(home + "\\9375CFF0413111d3B88A00104B2A6676", "Account Name", kRegSz, std::string("home\0", 5));
  Seed(branch + "\\Bystander", "Keep", kRegSz, std::string("yes\0", 4));
  Seed(optionsKey, "Keep", kRegDword, std::string(4, '\x01'));

  auto& d = tp.drive;
  const std::string data = app.state.DataFolder, roaming = kRoaming, local = kLocalOutlook;
  d.Put(app.state.SettingsFile, "[General]\r\nrunoutlookafterrestore=0\r\n");
  d.Put(app.state.LogFile, "an earlier run\r\n");
  d.Put(local + "\\Home.pst", "old data file");
  d.Put(roaming + "\\Outlook\\Work.RWZ", "old rules");
  d.Put(roaming + "\\Outlook\\Work.FAV", "favourites");
  d.Put(roaming + "\\Signatures\\Work.htm", "old signature");
  d.Put(roaming + "\\Templates\\Memo.oft", "old template");
  d.MakeFolder(std::string(kUser) + "\\Contacts");
  d.Put("C:\\mail\\Home.pst", "mail");
  // Where escaping names and exports would land: beside the data folder, at the drive's
  // root, and above each destination folder.
  for (const std::string& folder : {ParentFolder(data), std::string("C:"), std::string(kUser), roaming,
                                   std::string(kUser) + "\\AppData\\Local\\Microsoft"})
    for (const char* name : {"x.txt", "evil.htm", "evil.RWZ", "evil.pab", "settings.dat", "Bystander.txt"})
      d.Put(folder + "\\" + name, std::string("sentinel ") + name);
}

void World::DumpKey(const std::string& keyPath, Snapshot& into) {
  std::string sub = keyPath;
  const RegKey root = app.reg.ParseKeyPath(sub);
  RegistryApi& api = app.reg.api();
  RegKey key = 0;
  if (api.OpenKey(root, sub, kKeyRead, &key) != kErrorSuccess) return;
  into.keys.insert(Upper(keyPath));
  for (std::uint32_t i = 0;; ++i) {
    std::string name;
    std::uint32_t type = 0, size = 0;
    const long rc = api.EnumValue(key, i, 16384, &name, &type, nullptr, &size);
    if (rc != kErrorSuccess && rc != kErrorMoreData) break;
    std::string bytes(size, '\0');
    api.EnumValue(key, i, 16384, &name, &type, reinterpret_cast<std::uint8_t*>(bytes.data()), &size);
    into.values[Upper(keyPath) + " | " + name] = std::to_string(type) + ":" + bytes.substr(0, size);
  }
  std::vector<std::string> subkeys;
  std::string name;
  for (std::uint32_t i = 0; api.EnumKey(key, i, 256, &name) == kErrorSuccess; ++i) subkeys.push_back(name);
  api.CloseKey(key);
  for (const auto& n : subkeys) DumpKey(keyPath + "\\" + n, into);
}

Snapshot World::Take() {
  Snapshot s;
  namespace fs = std::filesystem;
  const fs::path root = PathFromUtf8(tp.drive.root());
  for (const auto& it : fs::recursive_directory_iterator(root)) {
    std::string rel = PathToUtf8(fs::relative(it.path(), root));
    std::replace(rel.begin(), rel.end(), '/', '\\');
    const std::string win = rel.substr(0, 1) + ":" + rel.substr(1);
    if (it.is_directory()) {
      s.folders.insert(win);
    } else {
      std::ifstream in(it.path(), std::ios::binary);
      s.files[win] = std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  DumpKey(branch, s);
  DumpKey(optionsKey, s);
  return s;
}

void World::Open(const std::string& path, const std::string& password) {
  tp.ui.openAnswers.push_back(path);
  tp.ui.onModal = [password](Form& f) {
    auto& prompt = dynamic_cast<FrmPwd&>(f);
    prompt.txtPassword.text = password;
    prompt.cmdOK_Click();
  };
  form.cmdSourceFile_Click();
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return Upper(n) == Upper(name); });
}

// Whether the case allows this file to be as it is after the run (nullopt: gone).
bool FileChangeAllowed(const std::string& path, const std::optional<std::string>& before,
                       const std::optional<std::string>& after, const HostileCase& c, const World& w) {
  if (Upper(path) == Upper(w.app.state.LogFile))
    return after && after->compare(0, before ? before->size() : 0, before.value_or("")) == 0;
  if (c.expect == Expect::Refused) return false;
  const std::string folder = Upper(ParentFolder(path)), name = BareName(path);
  const bool datas = Listed(c.items, "datas");
  if (datas && Upper(name) == Upper(std::string(kTargetProfile) + ".FAV") && !after) return true;
  for (const auto& item : c.items)
    for (const auto& dest : Destinations(item))
      if (Upper(dest) == folder && after &&
          (Listed(c.mayPlace, name) || (item == "datas" && Upper(name) == Upper(std::string(kTargetProfile) + ".RWZ"))))
        return true;
  return false;
}

std::vector<std::string> Violations(const Snapshot& before, const Snapshot& after, const HostileCase& c,
                                    const World& w) {
  std::vector<std::string> out;
  std::set<std::string> paths;
  for (const auto& [p, bytes] : before.files) paths.insert(p);
  for (const auto& [p, bytes] : after.files) paths.insert(p);
  for (const auto& p : paths) {
    const auto b = before.files.count(p) ? std::optional(before.files.at(p)) : std::nullopt;
    const auto a = after.files.count(p) ? std::optional(after.files.at(p)) : std::nullopt;
    if (a == b || FileChangeAllowed(p, b, a, c, w)) continue;
    const std::string size = a ? " (" + std::to_string(a->size()) + " bytes)" : "";
    out.push_back((!b ? "created " : !a ? "deleted " : "changed ") + p + size);
  }
  for (const auto& f : after.folders)
    if (!before.folders.count(f)) out.push_back("created folder " + f);
  for (const auto& f : before.folders)
    if (!after.folders.count(f)) out.push_back("deleted folder " + f);

  auto ownKey = [&](const std::string& key) {
    return c.expect != Expect::Refused && (StartsWithKey(key, w.TargetKey()) || StartsWithKey(key, w.optionsKey));
  };
  std::set<std::string> keys(before.keys);
  keys.insert(after.keys.begin(), after.keys.end());
  for (const auto& k : keys)
    if (before.keys.count(k) != after.keys.count(k) && !ownKey(k))
      out.push_back((after.keys.count(k) ? "registry: created key " : "registry: deleted key ") + k);
  std::map<std::string, std::string> values(before.values);
  values.insert(after.values.begin(), after.values.end());
  for (const auto& [v, ignored] : values) {
    const auto b = before.values.find(v), a = after.values.find(v);
    const bool same = (b == before.values.end()) == (a == after.values.end()) &&
                      (b == before.values.end() || b->second == a->second);
    if (!same && !ownKey(v.substr(0, v.find(" | ")))) out.push_back("registry: changed value " + v);
  }
  return out;
}

// A sound archive must come back whole: every item succeeded and every file is in place.
std::vector<std::string> MissingRestore(const HostileCase& c, World& w) {
  std::vector<std::string> out;
  const auto& messages = w.tp.ui.messages;
  if (messages.empty() || messages.back().text.find("The Restore was Completed!") == std::string::npos ||
      messages.back().text.find("Fail!") != std::string::npos)
    out.push_back("the restore did not succeed: " +
                  (messages.empty() ? std::string("no message") : messages.back().text));
  for (const auto& name : c.mayPlace) {
    bool found = false;
    for (const auto& item : c.items)
      for (const auto& dest : Destinations(item)) found = found || w.files.FileExists(dest + "\\" + name);
    if (!found) out.push_back(name + " was not restored");
  }
  return out;
}

std::string Joined(const std::vector<std::string>& lines, std::size_t most) {
  std::string text;
  for (std::size_t i = 0; i < lines.size() && i < most; ++i) text += (i ? "; " : "") + lines[i];
  if (lines.size() > most) text += "; and " + std::to_string(lines.size() - most) + " more";
  return text;
}

TEST(HostileArchivesTest, ARestoreChangesOnlyItsOwnPlacesAndARefusedOneNothing) {
  const auto cases = HostileArchiveCases();
  ASSERT_GE(cases.size(), 40u);
  for (const HostileCase& c : cases) {
    SCOPED_TRACE(c.name + " (" + ExpectName(c.expect) + "): " + c.what);
    auto w = std::make_unique<World>(c.name);
    const std::string archive = "C:\\archives\\" + c.name + ".tvo";
    w->tp.drive.Put(archive, c.archive);
    const Snapshot before = w->Take();
    w->files.largest = 0;

    const auto start = std::chrono::steady_clock::now();
    w->Open(archive, c.password);
    for (const auto& item : c.items) {
      const ItemRow* row = RowByTvoName(item);
      ASSERT_TRUE(row != nullptr && row->box >= 0) << item;
      auto& box = w->form.restoreitem[static_cast<std::size_t>(row->box)];
      if (box.enabled) box.value = 1;
    }
    w->form.RunRestore();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);

    const Snapshot after = w->Take();
    std::vector<std::string> problems = Violations(before, after, c, *w);
    if (c.expect == Expect::Restores) {
      const auto missing = MissingRestore(c, *w);
      problems.insert(problems.end(), missing.begin(), missing.end());
    }
    for (const auto& [path, bytes] : after.files)
      if (!before.files.count(path) || before.files.at(path) != bytes)
        w->files.largest = std::max<std::uint64_t>(w->files.largest, bytes.size());
    if (c.writeBudget != 0 && w->files.largest > c.writeBudget)
      problems.push_back("wrote a file of " + std::to_string(w->files.largest) + " bytes (budget " +
                         std::to_string(c.writeBudget) + ")");
    std::printf("[hostile] %-34s %-11s %6lld ms  %s\n", c.name.c_str(), ExpectName(c.expect),
                static_cast<long long>(ms.count()), problems.empty() ? "ok" : Joined(problems, 4).c_str());
    EXPECT_TRUE(problems.empty()) << Joined(problems, 20);
  }
}

}  // namespace
}  // namespace tarvo::hostile
