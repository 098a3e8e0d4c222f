// A whole restore of an archive made from the input: its record and its entries (names
// and contents, registry exports among them) are the input's parts. Whatever they hold,
// nothing outside the restore's own folders is written, and nothing of a restore is left
// in the data folder or beside the files it restores.
// Input: parts separated by two NUL bytes; the first is the record, each other one an
// entry, its name up to the first line feed and its data after it.
#include <zip.h>

#include <filesystem>

#include "fuzz_support.h"
#include "jobs/archive_opening.h"
#include "jobs/restore_job.h"
#include "jobs/run_log.h"
#include "support/fake_office.h"
#include "support/fake_processes.h"
#include "support/fake_registry.h"
#include "support/fake_shell.h"
#include "support/fake_system.h"

using namespace tarvo;

namespace {

std::vector<std::string> Parts(const std::string& input) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = input.find(std::string(2, '\0'), start)) != std::string::npos && parts.size() < 40;) {
    parts.push_back(input.substr(start, at - start));
    start = at + 2;
  }
  parts.push_back(input.substr(start));
  return parts;
}

bool WriteArchive(const std::string& host, const std::vector<std::string>& parts) {
  zip_t* za = zip_open(host.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (za == nullptr) return false;
  std::vector<std::string> contents;  // libzip reads the buffers only when it closes
  contents.reserve(parts.size());
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    const std::size_t eol = i == 0 ? std::string::npos : part.find('\n');
    const std::string name = i == 0 ? "mailvault.dat" : part.substr(0, eol);
    contents.push_back(i == 0 ? part : eol == std::string::npos ? "" : part.substr(eol + 1));
    zip_source_t* src = zip_source_buffer(za, contents.back().data(), contents.back().size(), 0);
    if (src != nullptr && (name.empty() || zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8) < 0))
      zip_source_free(src);
  }
  return zip_close(za) == 0;
}

// Every file below the host folder, as a path relative to it.
std::vector<std::string> HostFiles(const std::string& root) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec); it != std::filesystem::end(it); it.increment(ec))
    if (it->is_regular_file()) out.push_back(it->path().string().substr(root.size()));
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  HostFileSystem& files = fuzz::Drive();
  const std::string root = files.NativePath("C:\\");
  std::error_code ec;
  std::filesystem::remove_all(root + "/U", ec);
  std::filesystem::remove_all(root + "/D", ec);
  files.CreateFolder("C:\\D");
  const std::string archive = "C:\\in.tvo";
  if (!WriteArchive(files.NativePath(archive), Parts(std::string(reinterpret_cast<const char*>(data), size)))) return 0;

  FakeRegistry registry;
  FakeSystemInfo system;
  FakeProcesses processes;
  FakeShell shell;
  FakeOfficeProbe office;
  fuzz::NullUi ui;
  Platform platform{registry, files, system, processes, shell, ui, office};
  App app(platform);
  AppState& st = app.state;
  st.DataFolder = "C:\\D";
  st.LogFile = "C:\\D\\brlog.dat";
  st.SettingsFile = "C:\\D\\settings.dat";
  st.env = {"6.1", "14.0", "C:\\U", "HKEY_CURRENT_USER\\P", {"Work", ""}, false};
  RegKey key = 0;
  registry.CreateKey(regroot::CurrentUser, "P\\Work\\9375CFF0413111d3B88A00104B2A6676", &key);
  registry.CloseKey(key);
  ArchiveDetails details;
  if (OpenArchiveFile(app, archive, [] {}, details) != OpenOutcome::Opened) return 0;
  RestoreRequest request{"Work", {}};
  request.boxes.fill(true);
  RunLogSink sink(app);
  RestoreJob(app, request, sink).Run();
  app.zip.CloseArchive();

  for (const std::string& path : HostFiles(root)) {
    const bool own = path.rfind("/U/", 0) == 0 || path == "/D/brlog.dat" || path == "/in.tvo" ||
                     path.rfind("/input", 0) == 0;
    const std::string name = std::filesystem::path(path).filename().string();
    const bool leftover = name.rfind("TVS", 0) == 0 || name.rfind("TVA", 0) == 0 || name.rfind("TVJ", 0) == 0 ||
                          name == "restore.jnl";
    if (!own || leftover) std::abort();
  }
  return 0;
}
