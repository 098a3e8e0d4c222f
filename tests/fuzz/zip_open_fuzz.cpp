// Opening an archive the way the restore tab does: list, check the password, read and
// extract every entry. Plain, Zip64 and WinZip AES archives share one target.
#include "backup/record_entry.h"
#include "backup/zip_component.h"
#include "fuzz_support.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 256 * 1024) return -1;
  auto& files = fuzz::Drive();
  const std::string archive = fuzz::InputFile(data, size);
  ZipComponent zip(files);
  zip.IsEncrypted(archive);
  if (!zip.OpenArchive(archive)) return 0;
  zip.ReadPassword = "fuzz password";
  zip.CheckPassword();
  FindRecordEntry(zip, "mailvault.dat");
  int extracted = 0;
  for (const ZipEntry& entry : zip.Entries()) {
    if (++extracted > 8) break;
    zip.VerifyEntry(entry);
    if (entry.size > 1024 * 1024) continue;  // the size is the archive's claim; keep runs short
    files.CreateFolder("C:\\out");
    if (zip.ExtractTo(entry, "C:\\out") && !IsSafeEntryName(entry.name)) std::abort();
    for (const std::string& name : files.ListFiles("C:\\out").value_or(std::vector<std::string>{}))
      files.DeleteFile("C:\\out\\" + name);
  }
  zip.CloseArchive();
  return 0;
}
