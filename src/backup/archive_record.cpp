#include "backup/archive_record.h"

namespace tarvo::archive {

namespace {

std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
  std::string out;
  out.reserve(text.size());
  std::string::size_type start = 0;
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
    out.append(text, start, at - start);
    out += to;
    start = at + from.size();
  }
  out.append(text, start, std::string::npos);
  return out;
}

}  // namespace

std::string EncodeNote(const std::string& note) { return ReplaceAll(note, "\r\n", "PS$MVT"); }

std::string DecodeNote(const std::string& stored) { return ReplaceAll(stored, "PS$MVT", "\r\n"); }

bool IsValidItemFlags(const std::string& flags) { return flags.size() == kItemCount; }

bool ItemPresent(const std::string& flags, int position) {
  if (!IsValidItemFlags(flags) || position < 1 || position > kItemCount) return false;
  return flags[static_cast<std::size_t>(position - 1)] == '1';
}

std::string JoinEntryList(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& name : names) {
    if (name.empty()) continue;
    if (!list.empty()) list += ';';
    list += name;
  }
  return list;
}

std::vector<std::string> SplitEntryList(const std::string& list) {
  std::vector<std::string> names;
  std::string::size_type start = 0;
  while (start <= list.size()) {
    auto end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) names.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace tarvo::archive
