// The settings reader and writer over a settings.dat of any content.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/settings.h"
#include "fuzz_support.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return -1;
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(40);
  const std::string key = in.ConsumeRandomLengthString(40);
  const std::string value = in.ConsumeRandomLengthString(80);
  const std::string content = in.ConsumeRemainingBytesAsString();
  const std::string file = fuzz::InputFile(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
  auto& files = fuzz::Drive();
  ReadSetting(files, file, section, key);
  ReadFlag(files, file, section, key);
  ReadsAsNumber(value);
  BackupFolderFromSetting(value, "C:\\Program");
  WriteSetting(files, file, section, key, value);
  ReadSetting(files, file, section, key);
  return 0;
}
