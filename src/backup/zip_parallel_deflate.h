#pragma once
// Deflates one entry on several threads into one standard raw deflate stream. The data is
// cut into pieces of fixed size, each deflated with the end of the piece before it as its
// dictionary and ended on a byte boundary, so the pieces join into a stream any reader
// inflates, and the bytes depend on the data and level only, never on the thread count.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarvo {

// Threads that deflate: 0 (the default) means one per core.
void SetDeflateWorkers(unsigned count);
unsigned DeflateWorkers();

class ParallelDeflater {
 public:
  static constexpr std::size_t kPieceSize = 1024 * 1024;

  // Fills a buffer from the file: bytes read, 0 at its end, negative on a failure.
  using ReadFn = std::function<std::int64_t(unsigned char* data, std::size_t size)>;

  ParallelDeflater(int level, ReadFn read);
  ~ParallelDeflater();
  ParallelDeflater(const ParallelDeflater&) = delete;
  ParallelDeflater& operator=(const ParallelDeflater&) = delete;

  enum class Result { Data, End, ReadFailed, ZlibFailed };
  // The next piece's deflated bytes, in order (replacing out); End after the last piece.
  Result Next(std::vector<unsigned char>& out);

  std::uint64_t SizeIn() const { return sizeIn_; }
  std::uint64_t SizeOut() const { return sizeOut_; }
  std::uint32_t Crc() const { return crc_; }

 private:
  struct Piece;

  bool ReadPiece(std::vector<unsigned char>& data);
  // Buffers are handed back and used again: a fresh megabyte costs page faults and clearing
  // that add up to a good share of the time over zeros or stored data.
  std::vector<unsigned char> TakeBuffer();
  void KeepBuffer(std::vector<unsigned char> buffer);  // with mutex_ held
  bool FillWindow();
  void Submit(std::shared_ptr<Piece> piece);
  void Work();

  int level_;
  ReadFn read_;
  std::size_t window_;
  bool inputEnd_ = false, lastSubmitted_ = false, lastGiven_ = false;
  std::shared_ptr<Piece> held_;  // read, waiting to learn whether it is the last
  std::deque<std::shared_ptr<Piece>> inFlight_;
  std::uint64_t sizeIn_ = 0, sizeOut_ = 0;
  std::uint32_t crc_ = 0;

  std::mutex mutex_;
  std::condition_variable workReady_, pieceDone_;
  std::deque<std::shared_ptr<Piece>> queue_;
  std::vector<std::vector<unsigned char>> spare_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace tarvo
