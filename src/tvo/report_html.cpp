// The report as one page that needs nothing beside itself: the table, the status in colour
// and a small chart per row of its archives' sizes over time (inline SVG, no script).
#include <algorithm>
#include <cstdio>

#include "tvo/report_rows.h"

namespace tarvo {

namespace {

constexpr const char* kStyle =
    "body{font-family:Segoe UI,Arial,sans-serif;margin:24px;color:#1f2328}"
    "h1{font-size:20px}table{border-collapse:collapse;font-size:13px}"
    "th,td{border:1px solid #d0d7de;padding:4px 8px;text-align:left;vertical-align:middle}"
    "th{background:#f6f8fa}td{white-space:nowrap}td.note{white-space:normal;max-width:420px}td.num{text-align:right}"
    ".ok{background:#dafbe1;color:#116329}.incomplete{background:#fff1c2;color:#7d4e00}"
    ".stale{background:#ffe2c2;color:#953800}.damaged{background:#ffd7d5;color:#a40e26}"
    "td.status{font-weight:bold}svg{display:block}";

std::string Html(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += (c < 0x20 || c == 0x7f) ? std::string("?") : std::string(1, static_cast<char>(c));
    }
  }
  return out;
}

// One bar per archive, oldest left, the newest in the row's colour.
std::string SizeChart(const ReportRow& row) {
  if (row.history.empty()) return "";
  constexpr int kWidth = 160, kHeight = 36;
  std::uint64_t largest = 1;
  for (const SizePoint& p : row.history) largest = std::max(largest, p.size);
  const int count = static_cast<int>(row.history.size());
  const int step = std::clamp(kWidth / std::max(count, 1), 3, 18);
  std::string svg = "<svg width=\"" + std::to_string(std::min(kWidth, step * count)) + "\" height=\"" +
                    std::to_string(kHeight) + "\" role=\"img\" aria-label=\"archive sizes over time\">";
  for (int i = 0; i < count; ++i) {
    const SizePoint& p = row.history[static_cast<std::size_t>(i)];
    const int h =
        std::max(1, static_cast<int>(static_cast<double>(p.size) * (kHeight - 2) / static_cast<double>(largest)));
    const char* fill = i + 1 == count ? "#0969da" : "#8c959f";
    char bar[160];
    std::snprintf(bar, sizeof bar, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"%s\">", i * step,
                  kHeight - h, std::max(1, step - 2), h, fill);
    svg += std::string(bar) + "<title>" + Html(ReportTime(p.time) + "  " + SizeText(p.size)) + "</title></rect>";
  }
  return svg + "</svg>";
}

}  // namespace

void WriteReportHtml(std::ostream& out, const std::vector<ReportRow>& rows, const std::string& made) {
  int notOk = 0;
  for (const ReportRow& row : rows) notOk += row.status != ReportStatus::Ok;
  out << "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      << "<title>Tarvo Outlook Backup report</title><style>" << kStyle << "</style></head><body>\n"
      << "<h1>Tarvo Outlook Backup report</h1>\n<p>Made " << Html(made) << ": " << rows.size() << " row(s), " << notOk
      << " need(s) attention.</p>\n<table>\n<tr>";
  for (const char* head : {"Computer", "User", "Profile", "Newest backup", "Age (days)", "Size", "Growth", "Items",
                           "Protected", "Kept", "Status", "Note", "Sizes over time"})
    out << "<th>" << head << "</th>";
  out << "</tr>\n";
  for (const ReportRow& row : rows) {
    const std::vector<std::string> cells = ReportCells(row);
    out << "<tr>";
    for (std::size_t i = 0; i < cells.size(); ++i) {
      const bool number = i == 4 || i == 5 || i == 6 || i == 7 || i == 9;
      const bool status = i == 10;
      out << "<td" << (number ? " class=\"num\"" : "")
          << (status ? std::string(" class=\"status ") + StatusName(row.status) + "\"" : "")
          << (i == 11 ? " class=\"note\"" : "") << (i == 2 ? " title=\"" + Html(row.archive) + "\"" : "") << ">"
          << Html(cells[i]) << "</td>";
    }
    out << "<td>" << SizeChart(row) << "</td></tr>\n";
  }
  out << "</table>\n</body></html>\n";
}

}  // namespace tarvo
