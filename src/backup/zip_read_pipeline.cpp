#include "backup/zip_read_pipeline.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "backup/zip_codec.h"

namespace tarvo {

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kQueueBlocks = 4;  // per queue: enough to ride out uneven stages

using Block = std::vector<unsigned char>;

// Blocks handed from one stage to the next, with the emptied ones coming back for reuse.
class BlockQueue {
 public:
  // Waits for room; false once the read was abandoned.
  bool Push(Block&& block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return aborted_ || blocks_.size() < kQueueBlocks; });
    if (aborted_) return false;
    blocks_.push_back(std::move(block));
    changed_.notify_all();
    return true;
  }

  // Waits for a block; false at the end of the data or once the read was abandoned.
  bool Pop(Block& block) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return aborted_ || closed_ || !blocks_.empty(); });
    if (aborted_ || blocks_.empty()) return false;
    block = std::move(blocks_.front());
    blocks_.pop_front();
    changed_.notify_all();
    return true;
  }

  void Close() { Set(closed_); }
  void Abort() { Set(aborted_); }

  Block Spare() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spares_.empty()) return Block();
    Block block = std::move(spares_.back());
    spares_.pop_back();
    return block;
  }

  void Recycle(Block&& block) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (spares_.size() < kQueueBlocks + 2) spares_.push_back(std::move(block));
  }

 private:
  void Set(bool& flag) {
    std::lock_guard<std::mutex> lock(mutex_);
    flag = true;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Block> blocks_;
  std::vector<Block> spares_;
  bool closed_ = false, aborted_ = false;
};

// One read in flight: the queues between the stages and what each stage found.
struct Pipeline {
  BlockQueue raw, plain;
  std::string readError, inflateError, checkError;
  bool streamEnd = false;

  void Abort() {
    raw.Abort();
    plain.Abort();
  }
};

// The first stage, on the calling thread: raw blocks into the queue until the source ends,
// or only the first block when not whole.
void ReadStage(Pipeline& p, BlockQueue& to, const RawSource& source, bool whole) {
  for (bool more = true; more; more = whole) {
    Block block = to.Spare();
    if (!source(block, p.readError)) {
      p.Abort();
      return;
    }
    if (block.empty()) break;
    if (!to.Push(std::move(block))) return;
  }
  to.Close();
}

// Inflates the raw data in into out, a block of size filled so far, until the input is
// used up, out is full or the stream ends. False on corrupt data.
bool InflateInto(RawInflate& inflate, const Block& in, std::size_t& inAt, Block& out, std::size_t& filled,
                 bool& streamEnd) {
  const unsigned char* next = in.data() + inAt;
  std::size_t inLeft = in.size() - inAt;
  unsigned char* to = out.data() + filled;
  std::size_t outLeft = out.size() - filled;
  const RawInflate::Status status = inflate.Run(next, inLeft, to, outLeft);
  const bool moved = inLeft != in.size() - inAt || outLeft != out.size() - filled;
  inAt = in.size() - inLeft;
  filled = out.size() - outLeft;
  streamEnd = status == RawInflate::Status::End;
  // Input left and room left but nothing moved: no inflater stops there on good data.
  return status != RawInflate::Status::Corrupt && (moved || streamEnd || inLeft == 0 || outLeft == 0);
}

// Inflates one raw block into plain blocks of kBlockSize, pushing each one filled. An
// inflater may hold output back, so it is called again while the output comes back full.
bool InflateBlock(Pipeline& p, RawInflate& inflate, Block& in, Block& out, std::size_t& filled) {
  std::size_t inAt = 0;
  bool full = false;
  while ((inAt < in.size() || full) && !p.streamEnd) {
    if (out.empty()) {
      out = p.plain.Spare();
      out.resize(kBlockSize);
      filled = 0;
    }
    if (!InflateInto(inflate, in, inAt, out, filled, p.streamEnd)) {
      p.inflateError = "the compressed data is corrupt";
      return false;
    }
    full = filled == kBlockSize;
    if (full) {
      if (!p.plain.Push(std::move(out))) return false;
      out = Block();
    }
  }
  return true;
}

void InflateStage(Pipeline& p) {
  const std::unique_ptr<RawInflate> inflate = MakeRawInflate();
  if (!inflate) {
    p.inflateError = "out of memory";
    p.Abort();
    return;
  }
  Block in, out;
  std::size_t filled = 0;
  bool ok = true;
  while (ok && p.raw.Pop(in)) {
    ok = InflateBlock(p, *inflate, in, out, filled);
    p.raw.Recycle(std::move(in));
  }
  out.resize(out.empty() ? 0 : filled);
  if (!ok || (!out.empty() && !p.plain.Push(std::move(out)))) {
    p.Abort();
    return;
  }
  p.plain.Close();
}

void CheckStage(Pipeline& p, EntryCheck& check) {
  Block block;
  while (p.plain.Pop(block)) {
    if (!check.Give(block.data(), block.size(), p.checkError)) {
      p.Abort();
      return;
    }
    p.plain.Recycle(std::move(block));
  }
}

}  // namespace

std::string Damaged(const zip_stat_t& st, const std::string& why) {
  return "Entry \"" + std::string(st.name) + "\" is damaged or the password is wrong: " + why;
}

bool EntryCheck::Give(const unsigned char* data, std::size_t size, std::string& error) {
  if (size == 0) return true;
  // Nothing beyond the recorded size reaches the sink: an entry that inflates far past
  // what it declares stops here, not when the disk is full.
  if (size > st_.size - std::min<std::uint64_t>(total_, st_.size)) {
    error = Damaged(st_, "it is longer than its recorded size");
    return false;
  }
  total_ += size;
  crc_ = Crc32(crc_, data, size);
  if (sink_ != nullptr && !(*sink_)(reinterpret_cast<const char*>(data), size)) {
    error = "Cannot write the file of entry \"" + std::string(st_.name) + "\"";
    return false;
  }
  return true;
}

bool EntryCheck::Check(std::string& error) const {
  if (total_ != st_.size) {
    error = Damaged(st_, "it is shorter than its recorded size");
    return false;
  }
  if (crc_ != st_.crc && !(crcMayBeZero_ && st_.crc == 0)) {
    error = Damaged(st_, "CRC error");
    return false;
  }
  return true;
}

namespace {

// A small entry is read, inflated and checked on the calling thread: starting two threads
// costs more than its data, and archives of many small files (signatures, stationery)
// would spend most of their time there.
bool ReadInline(const zip_stat_t& st, const PipelineSettings& settings, const RawSource& source,
                const ChunkSink* sink, std::string& error) {
  EntryCheck check(st, sink, settings.crcMayBeZero);
  const std::unique_ptr<RawInflate> inflate = settings.deflated ? MakeRawInflate() : nullptr;
  if (settings.deflated && !inflate) return error = "out of memory", false;
  Block raw, out(static_cast<std::size_t>(std::min<zip_uint64_t>(kBlockSize, st.size + 1)));
  bool ok = true, streamEnd = !settings.deflated;
  std::string why;
  while (ok && source(raw, why) && !raw.empty()) {
    if (!settings.deflated) {
      ok = check.Give(raw.data(), raw.size(), why);
    } else {
      std::size_t inAt = 0, filled = out.size();
      while (ok && (inAt < raw.size() || filled == out.size()) && !streamEnd) {
        filled = 0;
        if (!InflateInto(*inflate, raw, inAt, out, filled, streamEnd))
          ok = false, why = Damaged(st, "the compressed data is corrupt");
        ok = ok && check.Give(out.data(), filled, why);
      }
    }
    if (!settings.whole) break;
  }
  if (!why.empty()) return error = why, false;
  if (!settings.whole) return true;
  if (!streamEnd) return error = Damaged(st, "it is shorter than its recorded size"), false;
  return check.Check(error);
}

}  // namespace

bool ReadPipelined(const zip_stat_t& st, const PipelineSettings& settings, const RawSource& source,
                   const ChunkSink* sink, std::string& error) {
  if (st.size <= kBlockSize && st.comp_size <= kBlockSize) return ReadInline(st, settings, source, sink, error);
  Pipeline p;
  EntryCheck check(st, sink, settings.crcMayBeZero);
  {
    std::thread checker, inflater;
    try {
      checker = std::thread([&] { CheckStage(p, check); });
      if (settings.deflated) inflater = std::thread([&] { InflateStage(p); });
      ReadStage(p, settings.deflated ? p.raw : p.plain, source, settings.whole);
    } catch (const std::system_error&) {
      p.readError = "Cannot start reading entry \"" + std::string(st.name) + "\": out of resources";
      p.Abort();
    }
    if (inflater.joinable()) inflater.join();
    if (checker.joinable()) checker.join();
  }
  if (!p.readError.empty() || !p.checkError.empty()) {
    error = p.readError.empty() ? p.checkError : p.readError;
    return false;
  }
  if (!p.inflateError.empty()) {
    error = Damaged(st, p.inflateError);
    return false;
  }
  if (!settings.whole) return true;
  if (settings.deflated && !p.streamEnd) {
    error = Damaged(st, "it is shorter than its recorded size");
    return false;
  }
  return check.Check(error);
}

}  // namespace tarvo
