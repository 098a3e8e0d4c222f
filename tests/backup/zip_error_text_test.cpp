#include <gtest/gtest.h>

#include <cerrno>

#include "backup/zip_component_impl.h"
#include "platform/system_error.h"

namespace tarvo {
namespace {

std::string TextOf(int zipCode, int systemCode) {
  zip_error_t error;
  zip_error_init(&error);
  zip_error_set(&error, zipCode, systemCode);
  std::string text = ZipErrorText(&error);
  zip_error_fini(&error);
  return text;
}

// A short write reports no cause: with less room left than the data, the disk is full.
TEST(ZipErrorText, AWriteErrorWithoutACauseOntoAFullDiskSaysSo) {
  const struct {
    int systemCode;
    std::optional<std::uint64_t> freeBytes;
    std::uint64_t toWrite;
    const char* text;
  } cases[] = {
      {0, 20 * 1024, 3u << 20,
       "Write error: There is not enough space on the disk (20 KB free). Free some space or choose another place "
       "for the backup file."},
      {kLibzipWin32Base, 20 * 1024, 3u << 20,
       "Write error: There is not enough space on the disk (20 KB free). Free some space or choose another place "
       "for the backup file."},
      {0, 5u << 20, 3u << 20, "Write error"},
      {kLibzipWin32Base, 5u << 20, 3u << 20, "Write error"},
      {0, std::nullopt, 3u << 20, "Write error"},
  };
  for (const auto& c : cases) {
    zip_error_t error;
    zip_error_init(&error);
    zip_error_set(&error, ZIP_ER_WRITE, c.systemCode);
    EXPECT_EQ(WriteErrorText(&error, c.freeBytes, c.toWrite), c.text);
    zip_error_fini(&error);
  }
  // A cause given is the cause, whatever the free space.
  zip_error_t error;
  zip_error_init(&error);
  zip_error_set(&error, ZIP_ER_WRITE, ENOSPC);
  EXPECT_EQ(WriteErrorText(&error, 0, 1), TextOf(ZIP_ER_WRITE, ENOSPC));
  zip_error_fini(&error);
}

TEST(ZipErrorText, SaysWhatHappenedInWordsAndWhatToDoAboutAFileInUse) {
  struct Case {
    int zipCode, systemCode;
    const char* start;
    bool advice;
  };
  const Case cases[] = {
      {ZIP_ER_READ, kLibzipWin32Base + 32, "Read error: ", true},   // sharing violation
      {ZIP_ER_OPEN, kLibzipWin32Base + 33, "Can't open file: ", true},  // lock violation
      {ZIP_ER_WRITE, kLibzipWin32Base + 39, "Write error: ", false},  // disk full, as a handle reports it
      {ZIP_ER_WRITE, ENOSPC, "Write error: ", false},
      {ZIP_ER_TMPOPEN, 999, "Failure to create temporary file: ", false},
  };
  for (const Case& c : cases) {
    const std::string text = TextOf(c.zipCode, c.systemCode);
    SCOPED_TRACE(text);
    EXPECT_EQ(text.rfind(c.start, 0), 0u);
    EXPECT_GT(text.size(), std::string(c.start).size() + 5);  // a cause follows
    EXPECT_EQ(text.find("Unknown error"), std::string::npos);
    EXPECT_EQ(text.find(kFileInUseAdvice) != std::string::npos, c.advice);
  }
  // Codes that carry no system cause keep libzip's text, without a "no error" tail and
  // without whatever errno an earlier call left.
  errno = ENOENT;
  EXPECT_EQ(ZipErrorText(ZIP_ER_OPEN), "Can't open file");
  EXPECT_EQ(ZipErrorText(ZIP_ER_NOZIP), "Not a zip archive");
  EXPECT_EQ(TextOf(ZIP_ER_INCONS, 0), "Zip archive inconsistent");
}

TEST(SystemErrorText, NeverUnknown) {
  for (int base : {0, kLibzipWin32Base}) {
    for (int code = 0; code < 300; ++code) {
      const std::string text = SystemErrorText(base + code);
      EXPECT_FALSE(text.empty()) << base + code;
      EXPECT_EQ(text.find("Unknown error"), std::string::npos) << base + code << ": " << text;
    }
  }
  EXPECT_TRUE(IsSharingViolation(kLibzipWin32Base + 32));
  EXPECT_FALSE(IsSharingViolation(32));  // an errno of that number is something else
}

}  // namespace
}  // namespace tarvo
