// libzip's error texts with the system's own words for the cause: libzip's own would pass
// a Win32 error to the C runtime and read "Unknown error".
#include "backup/zip_component_impl.h"
#include "platform/system_error.h"

namespace tarvo {
namespace {

// libzip's text for the code alone, without the system part it appends for errno codes.
std::string LibzipText(int code) {
  // zip_error_init_with_code would take a stale errno as the cause.
  zip_error_t error;
  zip_error_init(&error);
  zip_error_set(&error, code, 0);
  const bool system = zip_error_system_type(&error) == ZIP_ET_SYS;
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  // libzip's own texts hold no ": "; what follows it is the cause of no error, in whatever
  // words the C runtime libzip was built with has for that ("Success", "No error").
  const std::size_t cause = text.find(": ");
  if (system && cause != std::string::npos) text.resize(cause);
  return text;
}

// A write that stopped short without an error leaves libzip 0, or on Windows the Win32
// code 0 ("the operation completed successfully").
bool NoCause(int systemCode) { return systemCode == 0 || systemCode == kLibzipWin32Base; }

}  // namespace

std::string ZipErrorText(int code) { return LibzipText(code); }

std::string ZipErrorText(const zip_error_t* error) {
  zip_error_t copy;
  zip_error_init(&copy);
  zip_error_set(&copy, zip_error_code_zip(error), zip_error_code_system(error));
  const bool system = zip_error_system_type(&copy) == ZIP_ET_SYS;
  std::string text;
  if (system) {
    const int cause = zip_error_code_system(&copy);
    if (NoCause(cause)) {
      zip_error_fini(&copy);
      return LibzipText(zip_error_code_zip(error));
    }
    text = LibzipText(zip_error_code_zip(&copy)) + ": " + SystemErrorText(cause);
    if (IsSharingViolation(cause)) text += std::string(text.back() == '.' ? " " : ". ") + kFileInUseAdvice;
  } else {
    text = zip_error_strerror(&copy);
  }
  zip_error_fini(&copy);
  return text;
}

std::string NoWorkFileText(const std::string& folder) {
  const bool drive = folder.size() == 2 && folder[1] == ':';
  return "Cannot create a work file in " + folder + (drive ? "\\" : "") +
         ": the folder may be read-only, or you may not have the right to write there";
}

std::string WriteErrorText(const zip_error_t* error, std::optional<std::uint64_t> freeBytes, std::uint64_t toWrite) {
  if (zip_error_code_zip(error) != ZIP_ER_WRITE || !NoCause(zip_error_code_system(error))) return ZipErrorText(error);
  const std::string text = LibzipText(ZIP_ER_WRITE);
  if (!freeBytes || *freeBytes >= toWrite) return text;
  return text + ": There is not enough space on the disk (" + std::to_string(*freeBytes / 1024) +
         " KB free). Free some space or choose another place for the backup file.";
}

}  // namespace tarvo
