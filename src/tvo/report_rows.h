#pragma once
// `tvo report`, second half: one row per computer, user and profile from the scanned
// archives, with its newest backup and a status; and the rows as text, CSV and HTML.
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tvo/report_scan.h"

namespace tarvo {

enum class ReportStatus { Ok, Incomplete, Stale, Damaged };
const char* StatusName(ReportStatus status);

struct SizePoint {
  LocalTime time;
  std::uint64_t size = 0;
};

struct ReportRow {
  std::string computer, user, profile;
  std::string archive;  // the newest one
  std::optional<LocalTime> newest;
  std::optional<long long> ageDays;
  std::uint64_t size = 0;
  std::optional<double> growthPercent;  // against the previous archive
  int items = 0;
  std::string itemNames;  // tvo names, "," between
  bool isProtected = false;
  int kept = 0;  // dated archives of this row that are sound
  ReportStatus status = ReportStatus::Ok;
  std::string note;               // why the status is not ok, or what could not be read
  std::vector<SizePoint> history;  // oldest first
};

// Damaged archives get a row each; the others one per computer, user and profile (protected
// ones read without a password one per folder and archive name).
std::vector<ReportRow> BuildReportRows(const std::vector<ScannedArchive>& archives, const LocalTime& now,
                                       int staleDays);

// "YYYY-MM-DD HH:MM".
std::string ReportTime(const LocalTime& t);
// Control characters shown as \xNN, so that a record's values cannot work the terminal.
std::string Printable(const std::string& text);

// "12.3 MB", and the growth as "+4.0%" ("-" without a previous archive).
std::string SizeText(std::uint64_t bytes);
std::string GrowthText(const std::optional<double>& percent);
// The cells of a row as the table and the page show them, in column order.
std::vector<std::string> ReportCells(const ReportRow& row);

void WriteReportTable(std::ostream& out, const std::vector<ReportRow>& rows);
void WriteReportCsv(std::ostream& out, const std::vector<ReportRow>& rows);
void WriteReportHtml(std::ostream& out, const std::vector<ReportRow>& rows, const std::string& made);

}  // namespace tarvo
