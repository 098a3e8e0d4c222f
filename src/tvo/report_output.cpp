// The report's rows as a text table for the console and as CSV for spreadsheets.
#include <algorithm>
#include <array>
#include <cstdio>

#include "tvo/report_rows.h"

namespace tarvo {

std::string SizeText(std::uint64_t bytes) {
  const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) value /= 1024, ++unit;
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

std::string GrowthText(const std::optional<double>& percent) {
  if (!percent) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f%%", *percent);
  return text;
}

// The cells every form shows, in the order of kColumns.
std::vector<std::string> ReportCells(const ReportRow& row) {
  return {row.computer,
          row.user,
          row.profile,
          row.newest ? ReportTime(*row.newest) : "-",
          row.ageDays ? std::to_string(*row.ageDays) : "-",
          SizeText(row.size),
          GrowthText(row.growthPercent),
          std::to_string(row.items),
          row.isProtected ? "yes" : "no",
          std::to_string(row.kept),
          StatusName(row.status),
          row.note};
}

namespace {

constexpr std::array<const char*, 12> kColumns = {"COMPUTER", "USER",  "PROFILE", "NEWEST", "AGE(d)", "SIZE",
                                                  "GROWTH",   "ITEMS", "PROT",    "KEPT",   "STATUS", "NOTE"};

// A spreadsheet must not take a record's value for a formula.
std::string CsvCell(const std::string& value) {
  std::string text = value;
  const bool number = text.size() > 1 && text.find_first_not_of("0123456789.", 1) == std::string::npos;
  if (!text.empty() && !number && std::string("=+-@\t\r").find(text[0]) != std::string::npos) text = "'" + text;
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

void WriteReportTable(std::ostream& out, const std::vector<ReportRow>& rows) {
  std::vector<std::vector<std::string>> lines = {{kColumns.begin(), kColumns.end()}};
  for (const ReportRow& row : rows) {
    lines.push_back(ReportCells(row));
    for (auto& cell : lines.back()) cell = Printable(cell);
  }
  std::array<std::size_t, kColumns.size()> width{};
  for (const auto& line : lines)
    for (std::size_t i = 0; i + 1 < line.size(); ++i)
      width[i] = std::min<std::size_t>(32, std::max(width[i], line[i].size()));
  for (const auto& line : lines) {
    std::string text;
    for (std::size_t i = 0; i < line.size(); ++i) {
      text += line[i];
      if (i + 1 < line.size())
        text += std::string(line[i].size() < width[i] ? width[i] - line[i].size() : 0, ' ') + "  ";
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out << text << "\n";
  }
}

void WriteReportCsv(std::ostream& out, const std::vector<ReportRow>& rows) {
  out << "computer,user,profile,newest,age_days,size_bytes,growth_percent,items,item_names,protected,kept,status,"
         "note,archive\r\n";
  for (const ReportRow& row : rows) {
    char growth[32] = "";
    if (row.growthPercent) std::snprintf(growth, sizeof growth, "%.1f", *row.growthPercent);
    const std::vector<std::string> cells = {row.computer,
                                            row.user,
                                            row.profile,
                                            row.newest ? ReportTime(*row.newest) : "",
                                            row.ageDays ? std::to_string(*row.ageDays) : "",
                                            std::to_string(row.size),
                                            growth,
                                            std::to_string(row.items),
                                            row.itemNames,
                                            row.isProtected ? "yes" : "no",
                                            std::to_string(row.kept),
                                            StatusName(row.status),
                                            row.note,
                                            row.archive};
    std::string line;
    for (const std::string& cell : cells) line += (line.empty() ? "" : ",") + CsvCell(cell);
    out << line << "\r\n";
  }
}

}  // namespace tarvo
