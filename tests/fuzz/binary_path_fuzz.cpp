// The data file path dug out of Outlook's binary profile values, and its replacement.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_support.h"
#include "registry/binary_text.h"
#include "registry/mod_reg.h"
#include "support/fake_registry.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 16 * 1024) return -1;
  FuzzedDataProvider in(data, size);
  const std::string newPath = in.ConsumeRandomLengthString(300);
  const std::vector<std::uint8_t> value = in.ConsumeRemainingBytes<std::uint8_t>();

  if (ParseHexTokens(HexTokens(value)) != value) std::abort();  // the hex token text round-trips

  FakeRegistry registry;
  fuzz::NullUi ui;
  ModReg reg(registry, ui);
  const std::string key = "HKEY_CURRENT_USER\\Software\\Fuzz\\Profile\\section";
  const RegKey open = reg.CreateKey(key);
  if (open == 0) std::abort();
  registry.SetValue(open, "01020fff", kRegBinary, value.data(), static_cast<std::uint32_t>(value.size()));
  registry.CloseKey(open);

  for (const std::string& old : {reg.GetWidePathFromBinary(key, "01020fff"), reg.GetNarrowPathFromBinary(key, "01020fff")}) {
    if (old == kRegError) continue;
    reg.ReplaceInBinaryValue(key, "01020fff", old, newPath);
    reg.GetWidePathFromBinary(key, "01020fff");
  }
  return 0;
}
