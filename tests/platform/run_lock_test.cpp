#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/run_lock.h"

namespace tarvo {
namespace {

// Another holder is another thread here: a Windows mutex lets its own thread in again.
bool TakenElsewhere(const std::string& name, int waitMs) {
  bool taken = false;
  std::thread other([&] { taken = AcquireRunLock(name, waitMs) != nullptr; });
  other.join();
  return taken;
}

std::string UniqueName(const char* what) {
  const auto tick = std::chrono::steady_clock::now().time_since_epoch().count();
  return std::string("C:\\RunLockTest\\") + what + "-" + std::to_string(tick) + ".tvo";
}

TEST(RunLock, OneHolderPerNameWithoutRegardToCaseAndFreeOnceReleased) {
  const std::string name = UniqueName("held");
  auto lock = AcquireRunLock(name, 0);
  ASSERT_TRUE(lock);
  EXPECT_FALSE(TakenElsewhere(name, 0));
  EXPECT_FALSE(TakenElsewhere(name, 200));  // a bounded wait gives up
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_FALSE(TakenElsewhere(upper, 0));
  EXPECT_TRUE(TakenElsewhere(UniqueName("other"), 0));
  lock.reset();
  EXPECT_TRUE(TakenElsewhere(name, 0));
}

TEST(RunLock, WaiterGetsTheLockWhenTheHolderLetsGo) {
  const std::string name = UniqueName("wait");
  auto lock = AcquireRunLock(name, 0);
  ASSERT_TRUE(lock);
  std::atomic<bool> waiting{false};
  bool taken = false;
  std::thread waiter([&] {
    waiting = true;
    taken = AcquireRunLock(name, 30000) != nullptr;
  });
  while (!waiting) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  lock.reset();
  waiter.join();
  EXPECT_TRUE(taken);
}

// Lock files come and go with their holders; a waiter must never share the lock by taking
// a file that was removed under it.
TEST(RunLock, HoldersTakeTurnsAndLeaveNoFileBehind) {
  const std::string name = UniqueName("turns");
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> taken{0};
  std::vector<std::thread> runs;
  for (int t = 0; t < 4; ++t)
    runs.emplace_back([&] {
      for (int i = 0; i < 25; ++i) {
        auto lock = AcquireRunLock(name, 30000);
        if (!lock) continue;
        ++taken;
        if (inside.fetch_add(1) != 0) ++overlaps;
        std::this_thread::yield();
        --inside;
      }
    });
  for (auto& run : runs) run.join();
  EXPECT_EQ(taken, 100);
  EXPECT_EQ(overlaps, 0);
#ifndef _WIN32
  const auto file = std::filesystem::temp_directory_path() / ("tarvo-run-" + RunLockKey(name) + ".lock");
  EXPECT_FALSE(std::filesystem::exists(file));
#endif
}

TEST(RunLock, KeysAreShortHexAndFoldAsciiCase) {
  EXPECT_EQ(RunLockKey("C:\\Backup\\a.tvo"), RunLockKey("c:\\BACKUP\\A.TVO"));
  EXPECT_NE(RunLockKey("C:\\Backup\\a.tvo"), RunLockKey("C:\\Backup\\b.tvo"));
  const std::string key = RunLockKey("\xD0\x9F\xD0\xBE\xD1\x87\xD1\x82\xD0\xB0.tvo");
  EXPECT_EQ(key.size(), 16u);
  EXPECT_EQ(key.find_first_not_of("0123456789abcdef"), std::string::npos);
}

}  // namespace
}  // namespace tarvo
