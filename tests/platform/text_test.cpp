#include "platform/text.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

// The two backslash rules differ on runs of three or more; both callers depend on theirs.
TEST(TextRules, BackslashRunsAndDoubledBackslashes) {
  struct Case {
    const char* in;
    const char* runs;    // CollapseBackslashRuns
    const char* halved;  // HalveDoubledBackslashes
  };
  const Case cases[] = {
      {"C:\\\\Mail\\\\a.pab", "C:\\Mail\\a.pab", "C:\\Mail\\a.pab"},
      {"\\\\\\\\server\\share", "\\server\\share", "\\\\server\\share"},
      {"a\\\\\\b", "a\\b", "a\\\\b"},
      {"plain\\path", "plain\\path", "plain\\path"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CollapseBackslashRuns(c.in), c.runs) << c.in;
    EXPECT_EQ(HalveDoubledBackslashes(c.in), c.halved) << c.in;
  }
}

TEST(TextRules, TrimsSayWhatTheyTake) {
  EXPECT_EQ(TrimSpaces("  a b \t "), "a b \t");
  EXPECT_EQ(TrimSpacesAndTabs(" \t a b \t "), "a b");
  EXPECT_EQ(TrimSpaces("   "), "");
  EXPECT_EQ(TrimNameBuffer(std::string(" PC1 \0junk", 10)), "PC1");
  EXPECT_EQ(UpperAscii("Work.rwz \xE4"), "WORK.RWZ \xE4");
}

}  // namespace
}  // namespace tarvo
