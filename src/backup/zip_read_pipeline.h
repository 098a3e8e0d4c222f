#pragma once
// Reading one entry on up to three threads at once: the raw data (read, and for WinZip AES
// decrypted and authenticated) on the calling thread, inflation on a second, and the size
// and CRC check and the sink on a third, handing blocks on through small bounded queues.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <zip.h>

#include "backup/zip_entry_reader.h"

namespace tarvo {

std::string Damaged(const zip_stat_t& st, const std::string& why);

// Counts an entry's plain data, its size and CRC, and gives it to the sink.
class EntryCheck {
 public:
  // crcMayBeZero: an AE-2 entry may carry CRC 0, and then only its authentication code
  // speaks for it.
  EntryCheck(const zip_stat_t& st, const ChunkSink* sink, bool crcMayBeZero)
      : st_(st), sink_(sink), crcMayBeZero_(crcMayBeZero) {}

  bool Give(const unsigned char* data, std::size_t size, std::string& error);
  std::uint64_t Total() const { return total_; }
  std::uint32_t Crc() const { return crc_; }
  // After the whole entry: its size and CRC are the recorded ones.
  bool Check(std::string& error) const;

 private:
  const zip_stat_t& st_;
  const ChunkSink* sink_;
  bool crcMayBeZero_;
  std::uint64_t total_ = 0;
  std::uint32_t crc_ = 0;
};

// Fills block (resized to what it holds) with the entry's next raw data; an empty block
// at the end. False with error set on a failure.
using RawSource = std::function<bool(std::vector<unsigned char>& block, std::string& error)>;

struct PipelineSettings {
  bool deflated = false;      // inflate the raw data; else it is the plain data
  bool crcMayBeZero = false;  // see EntryCheck
  bool whole = true;          // false: the source stops early and nothing is checked
};

// Runs source on this thread and the later stages on their own; true when every stage
// succeeded and, for a whole read, the data ended where it should and passed its checks.
bool ReadPipelined(const zip_stat_t& st, const PipelineSettings& settings, const RawSource& source,
                   const ChunkSink* sink, std::string& error);

}  // namespace tarvo
