#pragma once
// How the hostile cases are put together: a record and entries described once, written as
// a plain archive and, where it makes sense, as a protected one.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/hostile/hostile_archives.h"
#include "support/hostile/zip_forge.h"

namespace tarvo::hostile {

inline constexpr const char* kPassword = "Hostile pass 1";

using RecordKeys = std::vector<std::pair<std::string, std::string>>;

struct Recipe {
  std::string name, what;
  RecordKeys record;                // keys after the six header lines; BackupItem follows from them
  std::vector<ForgedEntry> entries;  // the record is added last as "mailvault.dat"
  std::vector<std::string> items;
  Expect expect = Expect::Refused;
  std::uint64_t writeBudget = 0;
  // Changes to the entry list (the record included) and to the written bytes.
  std::function<void(std::vector<ForgedEntry>&)> tweak = {};
  std::function<std::string(std::string)> patch = {};
};

enum class Forms { Plain, Protected, Both };

// The record text: the six header lines, the keys, "BackupItem" with a "1" per key present.
std::string RecordText(const RecordKeys& keys);
ForgedEntry Entry(const std::string& name, const std::string& content);

// Appends the case in the forms asked for ("-aes" after the name of the protected one).
void Add(std::vector<HostileCase>& out, const Recipe& recipe, Forms forms);

// Text written in full-width forms (U+FF01..U+FF5E), which best-fit conversion to the
// ANSI code page turns back into the ASCII text.
std::string FullWidth(const std::string& ascii);

// Sound registry exports.
inline constexpr const char* kConfigExport =
    "\\\r\n\"Restored\"= sz:from Home\r\n\\store\r\n\"001e3001\"= sz:Hostile store\r\n"
    "\\9375CFF0413111d3B88A00104B2A6676\r\n";
inline constexpr const char* kAccountsExport = "\\\r\n\"Account Name\"= sz:pop\r\n";
inline constexpr const char* kOptionsExport = "\\\r\n\"Restored\"= dw:1\r\n";

void AddNameCases(std::vector<HostileCase>& out);
void AddRecordCases(std::vector<HostileCase>& out, const HostileOptions& options);
void AddLyingEntryCases(std::vector<HostileCase>& out, const HostileOptions& options);
void AddArchiveCases(std::vector<HostileCase>& out);

}  // namespace tarvo::hostile
