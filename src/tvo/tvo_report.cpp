// `tvo report`: one row per computer, user and profile of the archives under the given
// folders, for whoever looks after many PCs' backups on one share.
#include <chrono>
#include <sstream>

#include "tvo/report_rows.h"
#include "tvo/report_scan.h"
#include "tvo/tvo_tool.h"

namespace tarvo {
namespace {

constexpr int kDefaultStaleDays = 8;
constexpr int kMaxStaleDays = 3650;

std::optional<int> Days(const std::string& text) {
  if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int days = std::stoi(text);
  return days >= 1 && days <= kMaxStaleDays ? std::optional<int>(days) : std::nullopt;
}

std::string Summary(const std::vector<ReportRow>& rows) {
  int counts[4] = {};
  for (const ReportRow& row : rows) ++counts[static_cast<int>(row.status)];
  std::string text = std::to_string(rows.size()) + " row(s):";
  for (ReportStatus s : {ReportStatus::Ok, ReportStatus::Incomplete, ReportStatus::Stale, ReportStatus::Damaged})
    text += std::string(" ") + std::to_string(counts[static_cast<int>(s)]) + " " + StatusName(s);
  return text;
}

}  // namespace

int TvoTool::Report(const TvoCommand& cmd) {
  int staleDays = kDefaultStaleDays;
  if (cmd.options.count("--days")) {
    const auto days = Days(cmd.options.at("--days"));
    if (!days) return Fail(kTvoUsage, "--days takes a number of days from 1 to " + std::to_string(kMaxStaleDays));
    staleDays = *days;
  }
  std::vector<std::string> roots;
  for (const std::string& given : cmd.positional) {
    roots.push_back(host_.corePath(given));
    if (!files().FolderExists(roots.back()) && !files().FileExists(roots.back()))
      return Fail(kTvoUsage, "no such folder or file: " + given);
  }
  ScanOptions options;
  options.verify = cmd.options.count("--verify") > 0;
  options.password = password_;
  options.workFolder = host_.workFolder;
  // Progress only for a scan long enough to wonder about.
  const auto start = std::chrono::steady_clock::now();
  auto shown = start;
  options.progress = [&](std::size_t done, std::size_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (now - start < std::chrono::seconds(1) || now - shown < std::chrono::seconds(1)) return;
    shown = now;
    err_ << "tvo: report: " << done << " of " << total << " files read\n";
  };
  SystemInfo& system = host_.platform.system;
  const LocalTime now = system.Now();
  const std::vector<ReportRow> rows = BuildReportRows(ScanArchives(files(), system, roots, options), now, staleDays);
  if (rows.empty()) return Fail(kTvoFailed, "no archives found");

  WriteReportTable(out_, rows);
  out_ << Summary(rows) << "\n";
  if (cmd.options.count("--csv")) {
    std::ostringstream csv;
    WriteReportCsv(csv, rows);
    if (!files().WriteAll(host_.corePath(cmd.options.at("--csv")), csv.str()))
      return Fail(kTvoUsage, "cannot write " + cmd.options.at("--csv"));
  }
  if (cmd.options.count("--html")) {
    std::ostringstream html;
    WriteReportHtml(html, rows, ReportTime(now));
    if (!files().WriteAll(host_.corePath(cmd.options.at("--html")), html.str()))
      return Fail(kTvoUsage, "cannot write " + cmd.options.at("--html"));
  }
  for (const ReportRow& row : rows)
    if (row.status != ReportStatus::Ok) return kTvoFailed;
  return kTvoOk;
}

}  // namespace tarvo
