// The clean-up after a killed run: which names are removed, which are kept.
#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "backup/work_files.h"
#include "support/test_files.h"

namespace tarvo {
namespace {

TEST(WorkFiles, ArchiveLeftoversAreTheArchivesOwnWorkFilesOnly) {
  const struct {
    const char* name;
    bool removed;
  } cases[] = {
      {"home.tvo.~1A2B.TMP", true},
      {"HOME.TVO.~1a2b.tmp", true},              // names compare without regard to case
      {"home.tvo.~1A2B.TMP.~3C.TMP", true},       // a checked write's work file of a work file
      {"home.tvo.~1A2B.TMP.0a1b2c3d", true},      // the zip library's own, Windows form
      {"home.tvo.~1A2B.TMP.~3C.TMP.Xy12Zq", true},  // and POSIX form
      {"home.tvo", false},
      {"home.tvo.bak", false},
      {"home.tvo.~.TMP", false},
      {"home.tvo.~1A2G.TMP", false},
      {"home.tvo.~123456789.TMP", false},
      {"home.tvo.~1A2B.TMPX", false},
      {"home.tvo.~1A2B.TMP.abc", false},
      {"home.tvo.~1A2B.TMP.0a1b2c3d.x", false},
      {"other.tvo.~1A2B.TMP", false},
      {"myhome.tvo.~1A2B.TMP", false},
      {"home.tvox.~1A2B.TMP", false},
      {"tvo1A2B.TMP", false},
  };
  TempDrive drive;
  drive.MakeFolder("C:\\Backup");
  for (const auto& c : cases) drive.Put(std::string("C:\\Backup\\") + c.name, "x");
  RemoveArchiveLeftovers(drive.fs(), "C:\\Backup\\Home.tvo");
  for (const auto& c : cases) {
    EXPECT_EQ(IsArchiveLeftover("Home.tvo", c.name), c.removed) << c.name;
    EXPECT_EQ(drive.fs().FileExists(std::string("C:\\Backup\\") + c.name), !c.removed) << c.name;
  }
}

TEST(WorkFiles, NewArchiveWorkFileIsALeftoverOfItsTargetUntilTheRunEnds) {
  TempDrive drive;
  drive.MakeFolder("C:\\Backup");
  const std::string work = NewArchiveWorkFile(drive.fs(), "C:\\Backup\\home.tvo");
  ASSERT_TRUE(drive.fs().FileExists(work)) << work;
  EXPECT_TRUE(IsArchiveLeftover("home.tvo", BareName(work))) << work;
  EXPECT_NE(NewArchiveWorkFile(drive.fs(), "C:\\Backup\\home.tvo"), work);
}

TEST(WorkFiles, StaleRunWorkFilesGoAndEverythingElseStays) {
  const struct {
    const char* name;
    bool removed;
  } cases[] = {
      {"OBI1A.TMP", true},      {"OBCFFFF.TMP", true},   {"oba12.tmp", true},
      {"OBR1A.TMP", false},  // a data file set aside by a restore
      {"OBI.TMP", false},       {"OBI12345.TMP", false}, {"OBIG1.TMP", false}, {"OBI1A.TMP.bak", false},
      {"XOBI1A.TMP", false},    {"mailvault.dat", false}, {"settings.dat", false}, {"brlog.dat", false},
  };
  TempDrive drive;
  drive.MakeFolder("C:\\Prog");
  for (const auto& c : cases) drive.Put(std::string("C:\\Prog\\") + c.name, "x");
  const std::string mine = NewRunWorkFile(drive.fs(), "C:\\Prog", "OBC");
  ASSERT_TRUE(drive.fs().FileExists(mine));
  RemoveStaleRunWorkFiles(drive.fs(), "C:\\Prog");
  for (const auto& c : cases) {
    EXPECT_EQ(IsRunWorkFileName(c.name), c.removed) << c.name;
    EXPECT_EQ(drive.fs().FileExists(std::string("C:\\Prog\\") + c.name), !c.removed) << c.name;
  }
  EXPECT_TRUE(drive.fs().FileExists(mine)) << "this run's own work file was removed";
}

#ifndef _WIN32
// A work file of a run in another process stays while that process lives and goes after.
TEST(WorkFiles, AnotherLiveRunsWorkFileStaysUntilItsProcessEnds) {
  TempDrive drive;
  drive.MakeFolder("C:\\Prog");
  int made[2];
  int done[2];
  ASSERT_EQ(pipe(made), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const std::string path = NewRunWorkFile(drive.fs(), "C:\\Prog", "OBI");
    const std::string name = BareName(path);
    if (write(made[1], name.data(), name.size()) < 0) _exit(1);
    close(made[1]);
    char c;
    _exit(read(done[0], &c, 1) < 0 ? 1 : 0);
  }
  close(made[1]);
  char buf[64] = {};
  const ssize_t got = read(made[0], buf, sizeof buf - 1);
  ASSERT_GT(got, 0);
  const std::string path = std::string("C:\\Prog\\") + buf;
  RemoveStaleRunWorkFiles(drive.fs(), "C:\\Prog");
  const bool keptWhileLive = drive.fs().FileExists(path);
  ASSERT_EQ(write(done[1], "x", 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(keptWhileLive) << path;
  RemoveStaleRunWorkFiles(drive.fs(), "C:\\Prog");
  EXPECT_FALSE(drive.fs().FileExists(path)) << path;
}
#endif

}  // namespace
}  // namespace tarvo
