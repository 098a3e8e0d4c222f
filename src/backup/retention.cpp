#include "backup/retention.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace tarvo {
namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// "MM-DD-YYYY-HH-MM" as a sortable "YYYYMMDDHHMM", or nothing when the text is not a
// date and time of that form.
std::optional<std::string> SortKey(const std::string& t) {
  static const char kShape[] = "00-00-0000-00-00";
  if (t.size() != sizeof kShape - 1) return std::nullopt;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const bool digit = std::isdigit(static_cast<unsigned char>(t[i])) != 0;
    if (kShape[i] == '-' ? t[i] != '-' : !digit) return std::nullopt;
  }
  const int month = std::stoi(t.substr(0, 2)), day = std::stoi(t.substr(3, 2));
  const int hour = std::stoi(t.substr(11, 2)), minute = std::stoi(t.substr(14, 2));
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59) return std::nullopt;
  return t.substr(6, 4) + t.substr(0, 2) + t.substr(3, 2) + t.substr(11, 2) + t.substr(14, 2);
}

}  // namespace

std::vector<std::string> DatedArchivesOf(FileSystem& files, const std::string& plain) {
  if (plain.size() < 4) return {};  // such a target gets no dated names
  const std::string stem = BareName(plain.substr(0, plain.size() - 4)) + "-";
  const std::string folder = ParentFolder(plain);
  const auto names = files.ListFiles(folder);
  if (!names) return {};
  std::vector<std::pair<std::string, std::string>> found;  // sort key, path
  const std::size_t length = stem.size() + 16 + 4;
  for (const std::string& name : *names) {
    if (name.size() != length || !SameNoCase(name.substr(0, stem.size()), stem) ||
        !SameNoCase(name.substr(length - 4), ".tvo"))
      continue;
    if (const auto key = SortKey(name.substr(stem.size(), 16))) found.emplace_back(*key, JoinPath(folder, name));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& f : found) paths.push_back(std::move(f.second));
  return paths;
}

std::vector<std::string> PruneDatedArchives(FileSystem& files, const std::string& plain, const std::string& current,
                                            int keep, const std::string& now) {
  std::vector<std::string> entries;
  if (keep <= 0) return entries;
  std::vector<std::string> older = DatedArchivesOf(files, plain);
  older.erase(std::remove_if(older.begin(), older.end(), [&](const std::string& p) { return SameNoCase(p, current); }),
              older.end());
  const std::size_t kept = static_cast<std::size_t>(keep) - 1;  // current is one of them
  if (older.size() <= kept) return entries;
  for (std::size_t i = 0; i < older.size() - kept; ++i) {
    const bool removed = files.DeleteFile(older[i]);
    const char* what = removed ? " Automatic Backup removed the old backup file "
                               : " Automatic Backup could not remove the old backup file ";
    entries.push_back(now + what + older[i] + " (keeping the newest " + std::to_string(keep) + ")\n");
  }
  return entries;
}

}  // namespace tarvo
