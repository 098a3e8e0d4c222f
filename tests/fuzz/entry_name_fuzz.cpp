// The check that keeps entry names from reaching outside the folder they are extracted
// into, and the code page round trip that matches record names to entries.
#include "backup/record_entry.h"
#include "backup/zip_component.h"
#include "fuzz_support.h"
#include "platform/codepage.h"

using namespace tarvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1024) return -1;
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (IsSafeEntryName(name)) {
    if (name.empty() || name == "." || name == ".." || name.find_first_of("\\/:") != std::string::npos ||
        name.find('\0') != std::string::npos)
      std::abort();
  }
  const std::string ansi = Utf8ToAnsi(name);
  if (Utf8ToAnsi(AnsiToUtf8(ansi)) != ansi) std::abort();  // every ANSI text survives the way back
  RecordFormOfName(name);
  NameFitsRecordForm(name, AnsiToUtf8(ansi));
  return 0;
}
