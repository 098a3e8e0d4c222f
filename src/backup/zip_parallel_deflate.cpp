#include "backup/zip_parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <system_error>

namespace tarvo {

namespace {

constexpr std::size_t kDictionarySize = 32 * 1024;  // deflate's whole window
constexpr std::size_t kChunk = 64 * 1024;           // the unit judged compressible or not
constexpr std::size_t kRoom = 256 * 1024;           // free output kept before each deflate call
constexpr unsigned kMaxWorkers = 8;                 // beyond this the disk is the limit

std::atomic<unsigned> configuredWorkers{0};

// Order-0 entropy in bits per byte: random or already compressed data (attachments held
// compressed inside a PST) is near 8, text far below.
double Entropy(const unsigned char* data, std::size_t size) {
  std::array<std::uint32_t, 256> counts{};
  for (std::size_t i = 0; i < size; ++i) ++counts[data[i]];
  double bits = 0;
  for (const auto c : counts) {
    if (c == 0) continue;
    const double p = static_cast<double>(c) / static_cast<double>(size);
    bits -= p * std::log2(p);
  }
  return bits;
}

// Chunks that look incompressible are stored as deflate blocks instead of being searched
// for matches, which is where the time of a backup goes.
int LevelFor(const unsigned char* data, std::size_t size, int level) {
  return Entropy(data, size) > 7.9 ? 0 : level;
}

// Keeps at least kRoom bytes free after what the stream has written into out.
void EnsureRoom(z_stream& z, std::vector<unsigned char>& out) {
  const std::size_t at = z.total_out;
  if (out.size() - at < kRoom) {
    // Grows in steps rather than doubling: pieces in flight hold no more than they need.
    out.reserve(at + 2 * kRoom);
    out.resize(at + 2 * kRoom);
  }
  z.next_out = out.data() + at;
  z.avail_out = static_cast<uInt>(out.size() - at);
}

// Deflates all pending input; with Z_SYNC_FLUSH the output then ends on a byte boundary,
// with Z_FINISH the stream ends.
bool Pump(z_stream& z, std::vector<unsigned char>& out, int flush) {
  for (;;) {
    EnsureRoom(z, out);
    const int rc = deflate(&z, flush);
    if (rc == Z_STREAM_END) return true;
    if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
    if (flush != Z_FINISH && z.avail_in == 0 && z.avail_out > 0) return true;
  }
}

}  // namespace

void SetDeflateWorkers(unsigned count) { configuredWorkers = count; }

unsigned DeflateWorkers() {
  if (const unsigned set = configuredWorkers) return set;
  return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxWorkers);
}

struct ParallelDeflater::Piece {
  std::vector<unsigned char> data, dictionary, out;
  std::size_t size = 0;  // of data, which the worker frees when done
  bool last = false;
  std::uint32_t crc = 0;
  bool done = false, ok = false;
};

namespace {

// One piece into raw deflate data that starts and ends on a byte boundary. The stream is
// reset, so the bytes depend on the piece and its dictionary only.
bool DeflatePiece(z_stream& z, int level, const unsigned char* data, std::size_t size,
                  const std::vector<unsigned char>& dictionary, bool last, std::vector<unsigned char>& out) {
  if (deflateReset(&z) != Z_OK) return false;
  int current = size > 0 ? LevelFor(data, std::min(size, kChunk), level) : level;
  // Before any input deflateParams writes nothing.
  if (deflateParams(&z, current, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  if (!dictionary.empty() &&
      deflateSetDictionary(&z, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
    return false;
  out.clear();
  for (std::size_t at = 0; at < size; at += kChunk) {
    const std::size_t n = std::min(kChunk, size - at);
    const int wanted = LevelFor(data + at, n, level);
    if (wanted != current) {
      // deflateParams flushes into the free output; should it not fit, the level stays.
      EnsureRoom(z, out);
      if (deflateParams(&z, wanted, Z_DEFAULT_STRATEGY) == Z_OK) current = wanted;
    }
    z.next_in = const_cast<unsigned char*>(data + at);
    z.avail_in = static_cast<uInt>(n);
    if (!Pump(z, out, Z_NO_FLUSH)) return false;
  }
  if (!Pump(z, out, last ? Z_FINISH : Z_SYNC_FLUSH)) return false;
  out.resize(z.total_out);
  return true;
}

}  // namespace

ParallelDeflater::ParallelDeflater(int level, ReadFn read) : level_(level), read_(std::move(read)) {
  crc_ = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
  const unsigned workers = DeflateWorkers();
  try {
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    if (threads_.empty()) throw;  // the caller fails the entry; with some it goes on slower
  }
  // Keeps every worker busy while the oldest piece is handed on.
  window_ = threads_.size() + 2;
}

ParallelDeflater::~ParallelDeflater() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  workReady_.notify_all();
  for (auto& t : threads_) t.join();
}

void ParallelDeflater::Work() {
  z_stream z{};
  const bool ready = deflateInit2(&z, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  for (;;) {
    std::shared_ptr<Piece> piece;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workReady_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) break;
      piece = std::move(queue_.front());
      queue_.pop_front();
    }
    const bool ok =
        ready && DeflatePiece(z, level_, piece->data.data(), piece->size, piece->dictionary, piece->last, piece->out);
    const auto crc = crc32(0L, piece->data.data(), static_cast<uInt>(piece->size));
    std::vector<unsigned char>().swap(piece->data);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      piece->crc = static_cast<std::uint32_t>(crc);
      piece->ok = ok;
      piece->done = true;
    }
    pieceDone_.notify_all();
  }
  if (ready) deflateEnd(&z);
}

void ParallelDeflater::Submit(std::shared_ptr<Piece> piece) {
  piece->size = piece->data.size();
  inFlight_.push_back(piece);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(piece));
  }
  workReady_.notify_one();
}

// Reads a whole piece unless the file ends first; inputEnd_ tells that it did. Read in
// chunks, so progress moves as finely as it always did.
bool ParallelDeflater::ReadPiece(std::vector<unsigned char>& data) {
  data.resize(kPieceSize);
  std::size_t got = 0;
  while (got < data.size()) {
    const std::int64_t n = read_(data.data() + got, std::min(kChunk, data.size() - got));
    if (n < 0) return false;
    if (n == 0) {
      inputEnd_ = true;
      break;
    }
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  sizeIn_ += got;
  return true;
}

// Reads ahead until the window of pieces in flight is full. A piece is handed on only once
// the next one is read, so the last one is known to be last (and ends the stream).
bool ParallelDeflater::FillWindow() {
  while (!inputEnd_ && inFlight_.size() < window_) {
    auto piece = std::make_shared<Piece>();
    if (!ReadPiece(piece->data)) return false;
    if (piece->data.empty()) break;
    if (held_) {
      const auto& previous = held_->data;
      piece->dictionary.assign(previous.end() - static_cast<std::ptrdiff_t>(std::min(kDictionarySize, previous.size())),
                               previous.end());
      Submit(std::move(held_));
    }
    held_ = std::move(piece);
  }
  if (inputEnd_ && !lastSubmitted_) {
    if (!held_) held_ = std::make_shared<Piece>();  // an empty file is an empty final block
    held_->last = true;
    Submit(std::move(held_));
    lastSubmitted_ = true;
  }
  return true;
}

ParallelDeflater::Result ParallelDeflater::Next(std::vector<unsigned char>& out) {
  if (lastGiven_) return Result::End;
  if (!FillWindow()) return Result::ReadFailed;
  std::shared_ptr<Piece> piece = std::move(inFlight_.front());
  inFlight_.pop_front();
  {
    std::unique_lock<std::mutex> lock(mutex_);
    pieceDone_.wait(lock, [&piece] { return piece->done; });
  }
  if (!piece->ok) return Result::ZlibFailed;
  crc_ = static_cast<std::uint32_t>(crc32_combine(crc_, piece->crc, static_cast<z_off_t>(piece->size)));
  sizeOut_ += piece->out.size();
  out.swap(piece->out);
  lastGiven_ = piece->last;
  return Result::Data;
}

}  // namespace tarvo
