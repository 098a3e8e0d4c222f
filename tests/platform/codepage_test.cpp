#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace tarvo {
namespace {

TEST(Codepage, RoundTripsEveryAnsiCharacter) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(Codepage, MapsEuroAndAccentsAndReplacesUnknown) {
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC"), "\x80");           // euro sign
  EXPECT_EQ(AnsiToUtf8("caf\xE9"), "caf\xC3\xA9");           // é
  EXPECT_EQ(Utf8ToAnsi("\xE6\x97\xA5"), "?");                // a CJK character has no byte
}

TEST(PathText, SplitsAndJoinsWindowsPaths) {
  EXPECT_EQ(BareName("C:\\mail\\Work.pst"), "Work.pst");
  EXPECT_EQ(BareName("Work.pst"), "Work.pst");
  EXPECT_EQ(ParentFolder("C:\\mail\\Work.pst"), "C:\\mail");
  EXPECT_EQ(JoinPath("X:\\", "mailvault.dat"), "X:\\mailvault.dat");
  EXPECT_EQ(JoinPath("C:\\Apps", "mailvault.dat"), "C:\\Apps\\mailvault.dat");
}

TEST(DateText, FormatsArchiveNameDates) {
  LocalTime t{2026, 12, 6, 9, 30, 5};
  EXPECT_EQ(DateMMDDYYYY(t), "12-06-2026");
  EXPECT_EQ(DateTimeMMDDYYYYHHMM(t), "12-06-2026-09-30");
}

}  // namespace
}  // namespace tarvo
