#include "backup/zip_parallel_deflate.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <system_error>

#include "backup/zip_codec.h"

namespace tarvo {

namespace {

constexpr std::size_t kChunk = kDeflateChunk;  // the unit read at a time
constexpr unsigned kMaxWorkers = 8;            // beyond this the disk is the limit

std::atomic<unsigned> configuredWorkers{0};

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

ParallelDeflater::ParallelDeflater(int level, ReadFn read) : level_(level), read_(std::move(read)) {
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
  const std::unique_ptr<PieceDeflate> deflate = MakePieceDeflate(level_);
  for (;;) {
    std::shared_ptr<Piece> piece;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      workReady_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (stop_) break;
      piece = std::move(queue_.front());
      queue_.pop_front();
    }
    piece->out = TakeBuffer();
    const bool ok = deflate && deflate->Run(piece->data.data(), piece->size, piece->dictionary, piece->last, piece->out);
    const auto crc = Crc32(0, piece->data.data(), piece->size);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      KeepBuffer(std::move(piece->data));
      piece->crc = static_cast<std::uint32_t>(crc);
      piece->ok = ok;
      piece->done = true;
    }
    pieceDone_.notify_all();
  }
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

std::vector<unsigned char> ParallelDeflater::TakeBuffer() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (spare_.empty()) return {};
  auto buffer = std::move(spare_.back());
  spare_.pop_back();
  return buffer;
}

// As many as can be in flight at once, so memory stays what it was.
void ParallelDeflater::KeepBuffer(std::vector<unsigned char> buffer) {
  if (buffer.capacity() > 0 && spare_.size() < 2 * window_) spare_.push_back(std::move(buffer));
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
    piece->data = TakeBuffer();
    if (!ReadPiece(piece->data)) return false;
    if (piece->data.empty()) break;
    if (held_) {
      const auto& previous = held_->data;
      piece->dictionary.assign(previous.end() - static_cast<std::ptrdiff_t>(std::min(kDeflateDictionary, previous.size())),
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
  {
    std::lock_guard<std::mutex> lock(mutex_);
    KeepBuffer(std::move(piece->out));
  }
  lastGiven_ = piece->last;
  return Result::Data;
}

}  // namespace tarvo
