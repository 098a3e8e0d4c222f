#include "platform/text.h"

#include "platform/system_error.h"

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

// The held-file advice names the holders the system reports, in words the user can act on;
// their names are other programs' text and arrive escaped and cut short.
TEST(TextRules, HeldFileAdviceNamesTheHolders) {
  const FileHolder outlook{4312, "Microsoft Outlook", "OUTLOOK.EXE"};
  struct Case {
    std::vector<FileHolder> holders;
    std::string advice;
  };
  const Case cases[] = {
      {{}, kFileInUseAdvice},
      {{outlook}, "Home.pst is in use by Microsoft Outlook (OUTLOOK.EXE, process 4312). Close it, then try again."},
      {{{7, "", "sync.exe"}, {8, "", ""}},
       "Home.pst is in use by sync.exe (process 7) and a program (process 8). Close them, then try again."},
      {{outlook, {1, "A", ""}, {2, "B\x1b[2J", "b.exe"}, {3, "C", ""}, {4, "D", ""}},
       "Home.pst is in use by Microsoft Outlook (OUTLOOK.EXE, process 4312), A (process 1), B\\x1B[2J (b.exe, "
       "process 2) and 2 more. Close them, then try again."},
      {{{9, std::string(200, 'x'), ""}}, "Home.pst is in use by " + std::string(80, 'x') + "... (process 9). Close it, then try again."},
  };
  for (const Case& c : cases) {
    const std::string advice = HeldFileAdvice("Home.pst", c.holders);
    EXPECT_EQ(advice, c.advice);
    EXPECT_TRUE(SaysFileHeld("Cannot read C:\\Mail\\Home.pst: " + advice)) << advice;
  }
  EXPECT_FALSE(SaysFileHeld("Cannot read C:\\Mail\\Home.pst: Access is denied."));
}

}  // namespace
}  // namespace tarvo
