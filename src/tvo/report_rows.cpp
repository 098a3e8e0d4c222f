#include "tvo/report_rows.h"

#include <algorithm>
#include <map>

#include "backup/archive_record.h"
#include "core/item_table.h"
#include "core/last_run.h"
#include "platform/text.h"

namespace tarvo {
namespace {

long long Minutes(const LocalTime& t) { return StampMinutes(Stamp(t)).value_or(0); }

bool Before(const ScannedArchive& a, const ScannedArchive& b) {
  const long long ta = a.time ? Minutes(*a.time) : 0, tb = b.time ? Minutes(*b.time) : 0;
  return ta != tb ? ta < tb : a.path < b.path;
}

// The archive name without its dated ending: the series one task writes.
std::string SeriesName(const std::string& path) {
  std::string name = BareName(path);
  if (DatedNameTime(path)) return name.substr(0, name.size() - 21);
  return name.size() > 4 ? name.substr(0, name.size() - 4) : name;
}

std::string GroupKey(const ScannedArchive& a) {
  if (!a.recordRead) return "\x01" + UpperAscii(ParentFolder(a.path) + "\\" + SeriesName(a.path));
  return UpperAscii(a.computer) + '\x01' + UpperAscii(a.user) + '\x01' + UpperAscii(a.profile);
}

// The items an archive holds that the runs report (the configuration and the rules go
// along with other items).
std::vector<int> ReportedItems(const std::string& flags) {
  std::vector<int> present;
  for (const ItemRow& row : kItems)
    if (row.label && archive::ItemPresent(flags, row.position)) present.push_back(row.position);
  return present;
}

std::string Names(const std::vector<int>& positions) {
  std::string names;
  for (int p : positions)
    names += (names.empty() ? "" : ",") + std::string(kItems[static_cast<std::size_t>(p - 1)].tvoName);
  return names;
}

void Append(std::string& note, const std::string& text) { note += (note.empty() ? "" : "; ") + text; }

ReportRow DamagedRow(const ScannedArchive& a, const LocalTime& now) {
  ReportRow row;
  row.computer = a.recordRead ? a.computer : "?";
  row.user = a.recordRead ? a.user : "?";
  row.profile = a.recordRead ? a.profile : "?";
  row.archive = a.path;
  row.newest = a.time;
  if (a.time) row.ageDays = (Minutes(now) - Minutes(*a.time)) / (24 * 60);
  row.size = a.size;
  row.isProtected = a.isProtected;
  row.status = ReportStatus::Damaged;
  row.note = a.problem;
  return row;
}

ReportRow SeriesRow(const std::vector<const ScannedArchive*>& series, const LocalTime& now, int staleDays) {
  const ScannedArchive& newest = *series.back();
  ReportRow row;
  row.computer = newest.recordRead ? newest.computer : "?";
  row.user = newest.recordRead ? newest.user : "?";
  row.profile = newest.recordRead ? newest.profile : SeriesName(newest.path);
  row.archive = newest.path;
  row.newest = newest.time;
  row.size = newest.size;
  row.isProtected = newest.isProtected;
  row.kept = static_cast<int>(series.size());
  for (const ScannedArchive* a : series)
    if (a->time) row.history.push_back({*a->time, a->size});
  if (series.size() > 1 && series[series.size() - 2]->size > 0) {
    const double before = static_cast<double>(series[series.size() - 2]->size);
    row.growthPercent = (static_cast<double>(newest.size) - before) * 100.0 / before;
  }
  if (!newest.recordRead) Append(row.note, "protected: its record needs the password (--password-file)");
  const std::vector<int> items = ReportedItems(newest.flags);
  row.items = static_cast<int>(items.size());
  row.itemNames = Names(items);
  std::vector<int> lacking;
  for (std::size_t i = 0; i + 1 < series.size(); ++i)
    for (int p : ReportedItems(series[i]->flags))
      if (newest.recordRead && std::find(items.begin(), items.end(), p) == items.end() &&
          std::find(lacking.begin(), lacking.end(), p) == lacking.end())
        lacking.push_back(p);
  std::sort(lacking.begin(), lacking.end());
  if (!lacking.empty()) {
    row.status = ReportStatus::Incomplete;
    Append(row.note, "lacks what earlier backups had: " + Names(lacking));
  }
  if (newest.time) row.ageDays = (Minutes(now) - Minutes(*newest.time)) / (24 * 60);
  if (!newest.time || Minutes(now) - Minutes(*newest.time) > staleDays * 24LL * 60) {
    row.status = ReportStatus::Stale;
    Append(row.note, newest.time ? "no backup for more than " + std::to_string(staleDays) + " days"
                                 : "the date of the backup cannot be told");
  }
  return row;
}

}  // namespace

const char* StatusName(ReportStatus status) {
  switch (status) {
    case ReportStatus::Ok: return "ok";
    case ReportStatus::Incomplete: return "incomplete";
    case ReportStatus::Stale: return "stale";
    case ReportStatus::Damaged: return "damaged";
  }
  return "damaged";
}

std::vector<ReportRow> BuildReportRows(const std::vector<ScannedArchive>& archives, const LocalTime& now,
                                       int staleDays) {
  std::vector<ReportRow> rows;
  std::map<std::string, std::vector<const ScannedArchive*>> series;
  for (const ScannedArchive& a : archives) {
    if (!a.problem.empty()) {
      rows.push_back(DamagedRow(a, now));
    } else {
      series[GroupKey(a)].push_back(&a);
    }
  }
  for (auto& [key, list] : series) {
    std::sort(list.begin(), list.end(), [](const auto* a, const auto* b) { return Before(*a, *b); });
    rows.push_back(SeriesRow(list, now, staleDays));
  }
  std::sort(rows.begin(), rows.end(), [](const ReportRow& a, const ReportRow& b) {
    const auto key = [](const ReportRow& r) {
      return UpperAscii(r.computer) + '\x01' + UpperAscii(r.user) + '\x01' + UpperAscii(r.profile) + '\x01' + r.archive;
    };
    return key(a) < key(b);
  });
  return rows;
}

std::string ReportTime(const LocalTime& t) { return Stamp(t); }

std::string Printable(const std::string& text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace tarvo
