#pragma once
// Helpers of the zip component tests: recorded notifications, test data, the 7z peer.
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "backup/zip_component.h"

namespace tarvo::ziptest {

struct RecordingEvents : ZipEvents {
  std::vector<std::string> added, unzipped;
  std::vector<int> progress;
  int completes = 0;
  void AddingFile(const std::string& name) override { added.push_back(name); }
  void UnzippingFile(const std::string& name) override { unzipped.push_back(name); }
  void WriteProgress(int percent) override { progress.push_back(percent); }
  void WriteComplete() override { ++completes; }
};

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes(size, '\0');
  for (auto& c : bytes) c = static_cast<char>(gen() & 0xFF);
  return bytes;
}

inline std::string TextBytes(std::size_t size) {
  std::string text;
  for (int line = 0; text.size() < size; ++line) text += "Subject: weekly report " + std::to_string(line) + "\r\n";
  text.resize(size);
  return text;
}

// Compressible binary, not text: counters and small numbers in fixed records, as in a PST's
// tables.
inline std::string RecordBytes(std::size_t size, unsigned seed) {
  std::mt19937 gen(seed);
  std::string bytes;
  for (std::uint32_t i = 0; bytes.size() < size; ++i) {
    const std::uint32_t fields[4] = {i, static_cast<std::uint32_t>(gen() % 16), 0, gen() % 3 == 0 ? 0xFFFFFFFFu : 0};
    bytes.append(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  bytes.resize(size);
  return bytes;
}

inline std::string Quote(const std::string& text) { return "'" + text + "'"; }

// Runs a shell command quietly; true when it exits with 0.
inline bool RunQuiet(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

inline bool HaveSevenZip() {
#ifdef _WIN32
  return false;
#else
  return RunQuiet("command -v 7z");
#endif
}

}  // namespace tarvo::ziptest
