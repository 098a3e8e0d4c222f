// The registry export reader: an export file from an archive is imported into a registry.
#include "fuzz_support.h"
#include "registry/mod_reg.h"
#include "registry/reg_export.h"
#include "support/fake_registry.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  FakeRegistry registry;
  fuzz::NullUi ui;
  ModReg reg(registry, ui);
  const std::string base = "HKEY_CURRENT_USER\\Software\\Fuzz\\Profile";
  const RegKey created = reg.CreateKey(base);
  if (created == 0) std::abort();
  registry.CloseKey(created);
  const std::string file = fuzz::InputFile(data, size);
  if (ImportKey(reg, fuzz::Drive(), base, file)) {
    // Whatever was imported exports again, and that export imports cleanly.
    fuzz::Drive().DeleteFile("C:\\export.dat");
    if (!ExportKey(reg, fuzz::Drive(), base, "", "C:\\export.dat")) std::abort();
    if (!ImportKey(reg, fuzz::Drive(), base, "C:\\export.dat")) std::abort();
  }
  return 0;
}
