// The `tvo` commands. They drive the main window's own handlers (archive opening, the
// restore and backup runs) with a console Ui, so the tool never has logic of its own
// about archives beyond printing what the form found.
#include <map>
#include <optional>

#include "app/frm_main.h"
#include "backup/archive_record.h"
#include "disc/disc_image_command.h"
#include "backup/record_entry.h"
#include "restore/frm_pwd.h"
#include "restore/restore_paths.h"
#include "restore/tvo_commands.h"

namespace tarvo {

const char* const kTvoItemNames[11] = {"config",     "datas", "rules",   "accounts",  "signatures", "stationery",
                                       "pab",        "options", "templates", "preferences", "contacts"};

int TvoItemBox(const std::string& name) {
  static const std::map<std::string, int> boxes = {
      {"datas", 0}, {"accounts", 1}, {"signatures", 2}, {"stationery", 3},  {"pab", 4},
      {"options", 5}, {"templates", 6}, {"preferences", 7}, {"contacts", 8}};
  const auto found = boxes.find(name);
  return found == boxes.end() ? -1 : found->second;
}

std::optional<std::string> ReadPasswordFile(FileSystem& files, const std::string& path) {
  auto text = files.ReadAll(path);
  if (!text) return std::nullopt;
  const auto end = text->find_first_of("\r\n");
  if (end != std::string::npos) text->resize(end);
  return text;
}

namespace {

constexpr const char* kUsage =
    "usage: tvo info ARCHIVE [--password-file FILE]\n"
    "       tvo list ARCHIVE [--password-file FILE]\n"
    "       tvo verify ARCHIVE [--password-file FILE]\n"
    "       tvo extract ARCHIVE DIR [--item NAME] [--password-file FILE]\n"
    "       tvo backup ARCHIVE --profile NAME --items LIST [--note TEXT] [--password-file FILE]  (Windows)\n"
    "       tvo restore ARCHIVE --profile NAME --items LIST [--password-file FILE]  (Windows)\n"
    "       tvo disc-image ARCHIVE|FOLDER IMAGE [--label TEXT] [--type 1|3|4|5|7]\n"
    "items: datas accounts signatures stationery pab options templates preferences contacts, or all\n";

struct Command {
  std::string name;
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
};

struct UsageError {
  std::string text;
};

Command Parse(const std::vector<std::string>& args) {
  static const std::map<std::string, std::vector<std::string>> allowed = {
      {"info", {"--password-file"}},
      {"list", {"--password-file"}},
      {"verify", {"--password-file"}},
      {"extract", {"--password-file", "--item"}},
      {"backup", {"--password-file", "--profile", "--items", "--note"}},
      {"restore", {"--password-file", "--profile", "--items"}},
      {"disc-image", {"--label", "--type"}}};
  static const std::map<std::string, std::size_t> positionals = {{"info", 1},   {"list", 1},   {"verify", 1},
                                                                 {"extract", 2}, {"backup", 1}, {"restore", 1},
                                                                 {"disc-image", 2}};
  if (args.empty()) throw UsageError{"no command given"};
  Command cmd{args[0], {}, {}};
  const auto known = allowed.find(cmd.name);
  if (known == allowed.end()) throw UsageError{"unknown command \"" + cmd.name + "\""};
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0) {
      cmd.positional.push_back(arg);
      continue;
    }
    bool ok = false;
    for (const auto& o : known->second) ok = ok || o == arg;
    if (!ok) throw UsageError{"unknown option " + arg + " for " + cmd.name};
    if (i + 1 >= args.size()) throw UsageError{"option " + arg + " needs a value"};
    if (cmd.options.count(arg)) throw UsageError{"option " + arg + " given twice"};
    cmd.options[arg] = args[++i];
  }
  if (cmd.positional.size() != positionals.at(cmd.name))
    throw UsageError{cmd.name + " takes " + std::to_string(positionals.at(cmd.name)) + " path(s)"};
  for (const char* required : {"--profile", "--items"})
    if ((cmd.name == "backup" || cmd.name == "restore") && !cmd.options.count(required))
      throw UsageError{cmd.name + " needs " + required};
  return cmd;
}

std::string PlainLines(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

class Tool {
 public:
  Tool(TvoHost& host, std::ostream& out, std::ostream& err) : host_(host), out_(out), err_(err) {}

  int Run(const Command& cmd) {
    if (cmd.name == "disc-image") return DiscImage(cmd);
    if (cmd.options.count("--password-file")) {
      password_ = ReadPasswordFile(files(), host_.corePath(cmd.options.at("--password-file")));
      if (!password_) return Fail(kTvoUsage, "cannot read the password file " + cmd.options.at("--password-file"));
    }
    archive_ = host_.corePath(cmd.positional[0]);
    if (cmd.name == "backup") return Backup(cmd);
    if (!files().FileExists(archive_)) return Fail(kTvoUsage, "no such archive: " + cmd.positional[0]);
    if (cmd.name == "restore") return Restore(cmd);

    Prepare(host_.workFolder);
    if (!Open()) return kTvoFailed;
    if (cmd.name == "info") return Info();
    if (cmd.name == "list") return List();
    if (cmd.name == "verify") return Verify();
    return Extract(host_.corePath(cmd.positional[1]), cmd.options);
  }

 private:
  FileSystem& files() { return host_.platform.files; }

  int DiscImage(const Command& cmd) {
    const auto option = [&](const char* name, const char* fallback) {
      return cmd.options.count(name) ? cmd.options.at(name) : std::string(fallback);
    };
    DiscImageRequest request{host_.corePath(cmd.positional[0]), host_.corePath(cmd.positional[1]),
                             option("--label", kDefaultDiscLabel), 0};
    const std::string type = option("--type", "7");
    request.volumeType = type.size() == 1 ? type[0] - '0' : 0;
    return RunDiscImage(files(), request, out_, err_);
  }

  int Fail(int code, const std::string& text) {
    err_ << "tvo: " << text << "\n";
    return code;
  }

  // A program without the main window's start-up keeps its work files in workFolder.
  void Prepare(const std::string& workFolder) {
    auto& s = app_.state;
    s.ProgramFolder = workFolder;
    s.InfoRecordPath = JoinPath(workFolder, "mailvault.dat");
    s.LogFile = JoinPath(workFolder, "brlog.dat");
    s.SettingsFile = JoinPath(workFolder, "settings.dat");
    app_.zip.WorkFolder = workFolder;
  }

  // Opens the archive through the restore tab's own handler.
  bool Open() {
    if (app_.zip.IsEncrypted(archive_) == 1 && !password_) {
      Fail(kTvoFailed, "the archive is password-protected; give --password-file");
      return false;
    }
    host_.ui.openFile = archive_;
    host_.ui.onModal = [this](Form& form) {
      if (auto* pwd = dynamic_cast<FrmPwd*>(&form)) {
        pwd->txtPassword.text = password_.value_or("");
        pwd->cmdOK_Click();
      }
    };
    form_.cmdSourceFile_Click();
    return !app_.state.NoArchiveLoaded && form_.txtSourceFile.text == archive_;
  }

  std::vector<std::string> ItemEntries(int position) {
    if (app_.state.ItemFlags[position - 1] != '1') return {};
    return archive::SplitEntryList(app_.state.RestoreLists[position - 1]);
  }

  std::string ItemOf(const std::string& entry) {
    for (int p = 1; p <= 11; ++p)
      for (const auto& name : ItemEntries(p))
        if (UpperAscii(name) == UpperAscii(entry) || UpperAscii(name) == UpperAscii(RecordFormOfName(entry)))
          return kTvoItemNames[p - 1];
    return UpperAscii(entry) == "MAILVAULT.DAT" ? "record" : "-";
  }

  int Info() {
    out_ << "Archive: " << archive_ << "\n" << PlainLines(form_.txtPOBinfo.text) << "\n";
    out_ << "Description: " << PlainLines(form_.txtFileInfo.text) << "\n";
    out_ << "Items:";
    for (int p = 1; p <= 11; ++p)
      if (app_.state.ItemFlags[p - 1] == '1') out_ << " " << kTvoItemNames[p - 1];
    out_ << "\n";
    return kTvoOk;
  }

  int List() {
    for (const auto& e : app_.zip.Entries()) out_ << ItemOf(e.name) << "\t" << e.size << "\t" << e.name << "\n";
    return kTvoOk;
  }

  // Sound: every entry reads back with its CRC (and password), and every entry the record
  // names is present.
  int Verify() {
    int bad = 0, total = 0;
    for (const auto& e : app_.zip.Entries()) {
      ++total;
      const bool ok = app_.zip.VerifyEntry(e);
      if (!ok) ++bad;
      out_ << (ok ? "ok      " : "DAMAGED ") << e.name << "\n";
    }
    for (int p = 1; p <= 11; ++p)
      for (const auto& name : ItemEntries(p))
        if (!FindRecordEntry(app_.zip, name).entry) {
          ++bad;
          out_ << "MISSING " << name << " (" << kTvoItemNames[p - 1] << ")\n";
        }
    if (bad) return Fail(kTvoFailed, std::to_string(bad) + " problem(s) in " + std::to_string(total) + " entries");
    out_ << "archive is sound (" << total << " entries)\n";
    return kTvoOk;
  }

  int Extract(const std::string& dir, const std::map<std::string, std::string>& options) {
    std::vector<std::string> names;
    if (options.count("--item")) {
      const std::string& item = options.at("--item");
      int position = 0;
      for (int p = 1; p <= 11; ++p)
        if (item == kTvoItemNames[p - 1]) position = p;
      if (!position) return Fail(kTvoUsage, "unknown item \"" + item + "\"");
      if (app_.state.ItemFlags[position - 1] != '1') return Fail(kTvoFailed, "the archive holds no " + item);
      names = ItemEntries(position);
    } else {
      for (const auto& e : app_.zip.Entries()) names.push_back(e.name);
    }
    if (!files().FolderExists(dir) && !files().CreateFolder(dir)) return Fail(kTvoUsage, "cannot create " + dir);
    int failed = 0;
    for (const auto& name : names) {
      const auto entry = app_.zip.GetEntry(name);
      if (entry && app_.zip.ExtractTo(*entry, dir)) {
        out_ << "extracted " << name << "\n";
      } else {
        ++failed;
        err_ << "tvo: could not extract " << name << "\n";
      }
    }
    return failed ? kTvoFailed : kTvoOk;
  }

  // Sets the boxes named by --items; "all" takes every enabled box.
  bool CheckBoxes(std::array<CheckBox, 9>& boxes, const std::string& list) {
    if (list == "all") {
      for (auto& b : boxes) b.value = b.enabled ? 1 : 0;
      return true;
    }
    std::string rest = list;
    for (auto& c : rest)
      if (c == ',') c = ';';
    for (const auto& name : archive::SplitEntryList(rest)) {
      const int box = TvoItemBox(name);
      if (box < 0) return Fail(kTvoUsage, "unknown item \"" + name + "\""), false;
      if (!boxes[box].enabled) return Fail(kTvoUsage, "item \"" + name + "\" is not available here"), false;
      boxes[box].value = 1;
    }
    return true;
  }

  bool KnownProfile(const std::string& profile) {
    for (const auto& p : app_.state.env.ProfileList)
      if (!p.empty() && UpperAscii(p) == UpperAscii(profile)) return true;
    return false;
  }

  // A run's last message tells: an item that failed, or a backup that was not written at all.
  bool ReportedFailure() const {
    if (host_.ui.shown.empty()) return false;
    const std::string& last = host_.ui.shown.back();
    return last.find("Fail!") != std::string::npos || last.rfind("The Backup File could not be written!", 0) == 0 ||
           last.rfind("Another backup is being written", 0) == 0;
  }

  int Restore(const Command& cmd) {
    if (!host_.windowsRuns) return Fail(kTvoUsage, "restore needs Windows and its registry");
    form_.Form_Load();
    const std::string& profile = cmd.options.at("--profile");
    if (!KnownProfile(profile)) return Fail(kTvoUsage, "no Outlook profile \"" + profile + "\"");
    if (!Open()) return kTvoFailed;
    if (!CheckBoxes(form_.restoreitem, cmd.options.at("--items"))) return kTvoUsage;
    form_.cbTarget.text = profile;
    form_.RunRestore();
    return ReportedFailure() ? kTvoFailed : kTvoOk;
  }

  int Backup(const Command& cmd) {
    if (!host_.windowsRuns) return Fail(kTvoUsage, "backup needs Windows and its registry");
    form_.Form_Load();
    const std::string& profile = cmd.options.at("--profile");
    if (!KnownProfile(profile)) return Fail(kTvoUsage, "no Outlook profile \"" + profile + "\"");
    form_.cbSource.text = profile;
    form_.cbSource_Click();
    if (!CheckBoxes(form_.backupitem, cmd.options.at("--items"))) return kTvoUsage;
    form_.txtTargetFile.text = archive_;
    app_.state.loc.TargetFile = archive_;
    if (password_) {
      form_.ifprotect.value = 1;
      form_.txtPassword.text = form_.txtPassword2.text = *password_;
    }
    if (cmd.options.count("--note")) form_.txtAttachInfo.text = cmd.options.at("--note");
    form_.RunBackup();
    if (!files().FileExists(archive_)) return Fail(kTvoFailed, "no archive was written");
    return ReportedFailure() ? kTvoFailed : kTvoOk;
  }

  TvoHost& host_;
  std::ostream& out_;
  std::ostream& err_;
  App app_{host_.platform};
  FrmMain form_{app_};
  std::string archive_;
  std::optional<std::string> password_;
};

}  // namespace

int RunTvo(const std::vector<std::string>& args, TvoHost& host, std::ostream& out, std::ostream& err) {
  Command cmd;
  try {
    cmd = Parse(args);
  } catch (const UsageError& e) {
    err << "tvo: " << e.text << "\n" << kUsage;
    return kTvoUsage;
  }
  Tool tool(host, out, err);
  return tool.Run(cmd);
}

}  // namespace tarvo
