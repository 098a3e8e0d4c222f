// The unattended command line a scheduled task hands the program.
#include "backup/backup_steps.h"
#include "fuzz_support.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return -1;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto args = ParseAutoBackupArgs(text);
  if (!args) return 0;
  if (args->profile.empty() || args->mask.empty() || args->archive.empty()) std::abort();
  const std::string dated = DatedArchiveName(args->archive, LocalTime{2026, 12, 8, 9, 30, 0});
  if (args->archive.size() >= 4 && dated.size() != args->archive.size() + 17) std::abort();
  return 0;
}
