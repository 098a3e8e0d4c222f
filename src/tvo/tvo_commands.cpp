// The archive commands of `tvo`: info, list, verify and extract.
#include "tvo/tvo_commands.h"

#include <unordered_map>

#include "backup/archive_record.h"
#include "backup/record_entry.h"
#include "core/item_table.h"
#include "disc/disc_image_command.h"
#include "platform/text.h"
#include "tvo/tvo_tool.h"

namespace tarvo {

std::optional<std::string> ReadPasswordFile(FileSystem& files, const std::string& path) {
  auto text = files.ReadAll(path);
  if (!text) return std::nullopt;
  const auto end = text->find_first_of("\r\n");
  if (end != std::string::npos) text->resize(end);
  return text;
}

namespace {

// The record's lines as the terminal shows them: CR LF pairs become line feeds, and
// whatever else could steer the terminal is shown escaped.
std::string PlainLines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return PrintableText(out, true);
}

std::string Shown(const std::string& name) { return PrintableText(name); }

const char* NameAt(int position) { return kItems[static_cast<std::size_t>(position - 1)].tvoName; }

}  // namespace

int TvoTool::Run(const TvoCommand& cmd) {
  if (cmd.name == "disc-image") return DiscImage(cmd);
  if (cmd.options.count("--password-file")) {
    password_ = ReadPasswordFile(files(), host_.corePath(cmd.options.at("--password-file")));
    if (!password_) return Fail(kTvoUsage, "cannot read the password file " + cmd.options.at("--password-file"));
  }
  if (cmd.name == "report") return Report(cmd);
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

int TvoTool::DiscImage(const TvoCommand& cmd) {
  const auto option = [&](const char* name, const char* fallback) {
    return cmd.options.count(name) ? cmd.options.at(name) : std::string(fallback);
  };
  DiscImageRequest request{host_.corePath(cmd.positional[0]), host_.corePath(cmd.positional[1]),
                           option("--label", kDefaultDiscLabel), 0};
  const std::string type = option("--type", "7");
  request.volumeType = type.size() == 1 ? type[0] - '0' : 0;
  return RunDiscImage(files(), request, out_, err_);
}

int TvoTool::Fail(int code, const std::string& text) {
  err_ << "tvo: " << text << "\n";
  return code;
}

// Without the program's start-up the work files go to workFolder.
void TvoTool::Prepare(const std::string& workFolder) {
  auto& s = app_.state;
  s.DataFolder = workFolder;
  s.InfoRecordPath = JoinPath(workFolder, "mailvault.dat");
  s.LogFile = JoinPath(workFolder, "brlog.dat");
  s.SettingsFile = JoinPath(workFolder, "settings.dat");
  app_.zip.WorkFolder = workFolder;
}

bool TvoTool::Open() {
  if (app_.zip.IsEncrypted(archive_) == 1 && !password_) {
    Fail(kTvoFailed, "the archive is password-protected; give --password-file");
    return false;
  }
  app_.zip.CloseArchive();
  const auto answer = [this] { app_.state.RestorePassword = password_.value_or(""); };
  switch (OpenArchiveFile(app_, archive_, answer, details_)) {
    case OpenOutcome::Opened:
      return true;
    case OpenOutcome::WrongPassword:
      host_.platform.ui.MessageBox(kWrongPasswordMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Information);
      return false;
    case OpenOutcome::InvalidRecord:
      host_.platform.ui.MessageBox(kInvalidRecordMessage, kAppTitle, MsgButtons::Ok, MsgIcon::Critical);
      return false;
  }
  return false;
}

std::vector<std::string> TvoTool::ItemEntries(int position) {
  if (!archive::ItemPresent(app_.state.ItemFlags, position)) return {};
  return archive::SplitEntryList(app_.state.RestoreLists[static_cast<std::size_t>(position - 1)]);
}

// Upper-cased record name -> item, the first item that lists it.
std::unordered_map<std::string, std::string> TvoTool::ItemsByEntry() {
  std::unordered_map<std::string, std::string> items;
  for (int p = 1; p <= kItemCount; ++p)
    for (const auto& name : ItemEntries(p)) items.emplace(UpperAscii(name), NameAt(p));
  return items;
}

int TvoTool::Info() {
  out_ << "Archive: " << archive_ << "\n" << PlainLines(details_.origin) << "\n";
  out_ << "Description: " << PlainLines(details_.note) << "\n";
  out_ << "Items:";
  for (int p = 1; p <= kItemCount; ++p)
    if (archive::ItemPresent(app_.state.ItemFlags, p)) out_ << " " << NameAt(p);
  out_ << "\n";
  // Notes carry file names from the archive: shown escaped, one line each.
  for (const std::string& note : details_.notes) out_ << "Note: " << Shown(note) << "\n";
  return kTvoOk;
}

int TvoTool::List() {
  const auto items = ItemsByEntry();
  for (const auto& e : app_.zip.Entries()) {
    auto it = items.find(UpperAscii(e.name));
    if (it == items.end()) it = items.find(UpperAscii(RecordFormOfName(e.name)));
    const std::string item = it != items.end() ? it->second : UpperAscii(e.name) == "MAILVAULT.DAT" ? "record" : "-";
    out_ << item << "\t" << e.size << "\t" << Shown(e.name) << "\n";
  }
  return kTvoOk;
}

// Sound: every entry reads back with its CRC (and password), and every entry the record
// names is present.
int TvoTool::Verify() {
  int bad = 0, total = 0;
  for (const auto& e : app_.zip.Entries()) {
    ++total;
    const bool ok = app_.zip.VerifyEntry(e);
    if (!ok) ++bad;
    out_ << (ok ? "ok      " : "DAMAGED ") << Shown(e.name) << "\n";
  }
  for (int p = 1; p <= kItemCount; ++p)
    for (const auto& name : ItemEntries(p))
      if (!FindRecordEntry(app_.zip, name).entry) {
        ++bad;
        out_ << "MISSING " << Shown(name) << " (" << NameAt(p) << ")\n";
      }
  if (bad) return Fail(kTvoFailed, std::to_string(bad) + " problem(s) in " + std::to_string(total) + " entries");
  out_ << "archive is sound (" << total << " entries)\n";
  return kTvoOk;
}

int TvoTool::Extract(const std::string& dir, const std::map<std::string, std::string>& options) {
  std::vector<std::string> names;
  if (options.count("--item")) {
    const std::string& item = options.at("--item");
    const ItemRow* row = RowByTvoName(item);
    if (!row) return Fail(kTvoUsage, "unknown item \"" + item + "\"");
    if (!archive::ItemPresent(app_.state.ItemFlags, row->position)) return Fail(kTvoFailed, "the archive holds no " + item);
    names = ItemEntries(row->position);
  } else {
    for (const auto& e : app_.zip.Entries()) names.push_back(e.name);
  }
  if (!files().FolderExists(dir) && !files().CreateFolder(dir)) return Fail(kTvoUsage, "cannot create " + dir);
  int failed = 0;
  for (const auto& name : names) {
    const auto entry = app_.zip.GetEntry(name);
    if (entry && app_.zip.ExtractTo(*entry, dir)) {
      out_ << "extracted " << Shown(name) << "\n";
    } else {
      ++failed;
      err_ << "tvo: could not extract " << Shown(name) << "\n";
    }
  }
  return failed ? kTvoFailed : kTvoOk;
}

int RunTvo(const std::vector<std::string>& args, TvoHost& host, std::ostream& out, std::ostream& err) {
  TvoCommand cmd;
  try {
    cmd = ParseTvoCommand(args);
  } catch (const TvoUsageError& e) {
    err << "tvo: " << e.text << "\n" << kTvoUsageText;
    return kTvoUsage;
  }
  TvoTool tool(host, out, err);
  return tool.Run(cmd);
}

}  // namespace tarvo
