#pragma once
// DiscDevice double: scripted answers, and a record of what the engine asked of it.
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "disc/disc_engine.h"

namespace tarvo {

class FakeDiscDevice : public DiscDevice {
 public:
  // Answers.
  std::string name = "Fake Recorder";
  bool writer = true;
  std::set<int> capabilities;
  DiscMedia media{true, 1, false};
  std::uint32_t freeBlocks = 2'000'000;
  std::vector<std::pair<std::uint32_t, double>> speeds;  // speed value, factor
  std::uint32_t eraseParameter = 7;
  bool eraseStarts = true;
  // Erase states posted when an erase starts, as (state, percent).
  std::vector<std::pair<int, int>> eraseEvents;
  // Write: posts `writeStates` (state, percent), then ends as `writeEnd`. With `holdWrite`
  // it first waits until the job aborts or `release` is set.
  std::vector<std::pair<int, int>> writeStates;
  WriteEnd writeEnd = WriteEnd::Completed;
  bool holdWrite = false;
  std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
  // Set when the device goes, so a test can wait for an engine released elsewhere.
  std::shared_ptr<std::atomic<bool>> gone = std::make_shared<std::atomic<bool>>(false);
  // Abort ignored while held: a write that never reports its end.
  bool deafToAbort = false;

  // Records.
  int ejects = 0, closes = 0;
  std::vector<bool> refreshes;                         // RefreshMedia's reload flag
  std::vector<std::pair<bool, std::uint32_t>> erases;  // quick, parameter
  std::vector<WriteSettings> writes;

  ~FakeDiscDevice() override { *gone = true; }

  std::string Name() const override { return name; }
  bool IsWriter() const override { return writer; }
  bool HasCapability(int code) const override { return capabilities.count(code) > 0; }
  bool RefreshMedia(bool reload) override {
    refreshes.push_back(reload);
    return true;
  }
  DiscMedia Media() const override { return media; }
  std::uint32_t FreeBlocks(bool) override { return freeBlocks; }
  int WriteSpeedCount() const override { return static_cast<int>(speeds.size()); }
  std::uint32_t WriteSpeed(int index) const override { return speeds.at(static_cast<std::size_t>(index)).first; }
  double SpeedFactor(std::uint32_t speed) const override {
    for (const auto& [value, factor] : speeds)
      if (value == speed) return factor;
    return 0;
  }
  bool Eject() override { return ++ejects, true; }
  bool CloseTray() override { return ++closes, true; }
  std::uint32_t EraseParameter() const override { return eraseParameter; }
  bool StartErase(bool quick, std::uint32_t parameter, EventQueue& events) override {
    erases.emplace_back(quick, parameter);
    if (!eraseStarts) return false;
    for (auto [state, percent] : eraseEvents)
      events.Post([state = state, percent = percent](DiscEvents& e) { e.EraseState(state, percent); });
    return true;
  }

  WriteEnd Write(const WriteTask& task) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      writes.push_back(task.settings);
    }
    for (auto [state, percent] : writeStates)
      task.events.Post([state = state, percent = percent](DiscEvents& e) { e.WriteState(percent, state); });
    if (!holdWrite) return writeEnd;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!*release && !(task.abort && !deafToAbort) && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return task.abort ? WriteEnd::Cancelled : writeEnd;
  }
  std::unique_ptr<FileReader> OpenWritten() override { return nullptr; }

 private:
  std::mutex mutex_;
};

}  // namespace tarvo
