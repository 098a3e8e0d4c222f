// libzip's error texts with the system's own words for the cause: libzip's own would pass
// a Win32 error to the C runtime and read "Unknown error".
#include <cstring>

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
  const std::string noCause = std::string(": ") + std::strerror(0);
  if (system && text.size() > noCause.size() && text.compare(text.size() - noCause.size(), noCause.size(), noCause) == 0)
    text.resize(text.size() - noCause.size());
  return text;
}

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
    text = LibzipText(zip_error_code_zip(&copy)) + ": " + SystemErrorText(cause);
    if (IsSharingViolation(cause)) text += std::string(text.back() == '.' ? " " : ". ") + kFileInUseAdvice;
  } else {
    text = zip_error_strerror(&copy);
  }
  zip_error_fini(&copy);
  return text;
}

}  // namespace tarvo
