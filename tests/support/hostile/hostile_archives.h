#pragma once
// Hostile backup archives, plain and protected, each with the items a restore of it chooses
// and what that restore may do. The native restore test, the Windows helper that writes
// them for the Wine tests, and fuzz targets take their cases from here.
//
// What a restore may touch (its own places): the target profile's registry branch, the
// Outlook options key, the destination folders of the chosen items (there only files named
// in `mayPlace`, the target's .RWZ and .FAV), and the run log brlog.dat of the data folder,
// which may only grow. Nothing else changes, and no work file stays behind.
#include <cstdint>
#include <string>
#include <vector>

namespace tarvo::hostile {

inline constexpr const char* kSourceProfile = "Home";
inline constexpr const char* kTargetProfile = "Work";

enum class Expect {
  Refused,     // nothing at all changes: registry and files byte-identical (the log may grow)
  MayRestore,  // may succeed, but only the restore's own places change
  Restores,    // a sound archive: must succeed and place every file of mayPlace
};

struct HostileCase {
  std::string name;  // letters, digits and "-": usable as a file name
  std::string what;  // the attack, for people reading a failure
  std::string archive;
  std::string password;             // what the restore is given; empty for a plain archive
  std::vector<std::string> items;   // tvo item names to choose ("datas", "signatures", ...)
  Expect expect = Expect::Refused;
  std::vector<std::string> mayPlace;  // file names the restore may write into destination folders
  std::uint64_t writeBudget = 0;      // non-zero: the most bytes any file may reach during the run
};

struct HostileOptions {
  std::uint64_t bombSize = 64u << 20;    // what a bomb inflates to
  std::uint64_t hugeRecord = 8u << 20;   // an honest record far beyond any real one
  unsigned manyEntries = 30000;        // entries of the crowded archive
};

std::vector<HostileCase> HostileArchiveCases(const HostileOptions& options = {});

const char* ExpectName(Expect expect);

// True when Windows would create a file of exactly this name in the folder it is put in:
// no path, no drive, no stream, no device name (CON, COM1, CONIN$, COM¹ ... with any
// extension, trailing blanks or dots), no trailing blank or dot, no reserved character.
bool PlainFileName(const std::string& name);

}  // namespace tarvo::hostile
