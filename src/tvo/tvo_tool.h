#pragma once
// One `tvo` command over the jobs: the archive commands read what the archive opening
// found; backup and restore run BackupJob and RestoreJob.
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "jobs/app.h"
#include "jobs/archive_opening.h"
#include "tvo/tvo_commands.h"
#include "tvo/tvo_parse.h"

namespace tarvo {

class TvoTool {
 public:
  TvoTool(TvoHost& host, std::ostream& out, std::ostream& err) : host_(host), out_(out), err_(err) {
    app_.events = host.events;
  }
  int Run(const TvoCommand& cmd);

 private:
  FileSystem& files() { return host_.platform.files; }
  int DiscImage(const TvoCommand& cmd);
  int Fail(int code, const std::string& text);
  void Prepare(const std::string& workFolder);
  bool Open();
  std::vector<std::string> ItemEntries(int position);
  std::unordered_map<std::string, std::string> ItemsByEntry();
  int Info();
  int List();
  int Verify();
  int Extract(const std::string& dir, const std::map<std::string, std::string>& options);

  // tvo_report.cpp
  int Report(const TvoCommand& cmd);

  // tvo_runs.cpp
  bool StartUp(const std::string& profile);
  bool ChooseItems(const std::array<bool, 9>& available, const std::string& list, std::array<bool, 9>& chosen);
  int Restore(const TvoCommand& cmd);
  int Backup(const TvoCommand& cmd);

  TvoHost& host_;
  std::ostream& out_;
  std::ostream& err_;
  App app_{host_.platform};
  ArchiveDetails details_;
  std::string archive_;
  std::optional<std::string> password_;
};

}  // namespace tarvo
