// zlib's deflate and inflate: the fallback where ISA-L is not built in, and the reference
// the tests compare ISA-L with.
#include <zlib.h>

#include <algorithm>

#include "backup/zip_codec.h"

namespace tarvo {

namespace {

constexpr std::size_t kRoom = 256 * 1024;  // free output kept before each deflate call

int LevelFor(const unsigned char* data, std::size_t size, int level) {
  return KindOfChunk(data, size) == ChunkKind::Incompressible ? 0 : level;
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

class ZlibPieceDeflate : public PieceDeflate {
 public:
  explicit ZlibPieceDeflate(int level) : level_(level) {
    ready_ = deflateInit2(&z_, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~ZlibPieceDeflate() override {
    if (ready_) deflateEnd(&z_);
  }
  bool Ready() const { return ready_; }

  // The stream is reset, so the bytes depend on the piece and its dictionary only.
  bool Run(const unsigned char* data, std::size_t size, const std::vector<unsigned char>& dictionary, bool last,
           std::vector<unsigned char>& out) override {
    if (deflateReset(&z_) != Z_OK) return false;
    int current = size > 0 ? LevelFor(data, std::min(size, kDeflateChunk), level_) : level_;
    // Before any input deflateParams writes nothing.
    if (deflateParams(&z_, current, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    if (!dictionary.empty() &&
        deflateSetDictionary(&z_, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
      return false;
    out.clear();
    for (std::size_t at = 0; at < size; at += kDeflateChunk) {
      const std::size_t n = std::min(kDeflateChunk, size - at);
      // The first chunk was judged above, before any output.
      const int wanted = at == 0 ? current : LevelFor(data + at, n, level_);
      if (wanted != current) {
        // deflateParams flushes into the free output; should it not fit, the level stays.
        EnsureRoom(z_, out);
        if (deflateParams(&z_, wanted, Z_DEFAULT_STRATEGY) == Z_OK) current = wanted;
      }
      z_.next_in = const_cast<unsigned char*>(data + at);
      z_.avail_in = static_cast<uInt>(n);
      if (!Pump(z_, out, Z_NO_FLUSH)) return false;
    }
    if (!Pump(z_, out, last ? Z_FINISH : Z_SYNC_FLUSH)) return false;
    out.resize(z_.total_out);
    return true;
  }

 private:
  int level_;
  z_stream z_{};
  bool ready_ = false;
};

class ZlibRawInflate : public RawInflate {
 public:
  ZlibRawInflate() { ready_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK; }
  ~ZlibRawInflate() override {
    if (ready_) inflateEnd(&z_);
  }
  bool Ready() const { return ready_; }

  Status Run(const unsigned char*& in, std::size_t& inLeft, unsigned char*& out, std::size_t& outLeft) override {
    z_.next_in = const_cast<unsigned char*>(in);
    z_.avail_in = static_cast<uInt>(std::min<std::size_t>(inLeft, UINT32_MAX));
    z_.next_out = out;
    z_.avail_out = static_cast<uInt>(std::min<std::size_t>(outLeft, UINT32_MAX));
    const uInt inGiven = z_.avail_in, outGiven = z_.avail_out;
    const int rc = inflate(&z_, Z_NO_FLUSH);
    in += inGiven - z_.avail_in, inLeft -= inGiven - z_.avail_in;
    out += outGiven - z_.avail_out, outLeft -= outGiven - z_.avail_out;
    if (rc == Z_STREAM_END) return Status::End;
    return rc == Z_OK || rc == Z_BUF_ERROR ? Status::Ok : Status::Corrupt;
  }

 private:
  z_stream z_{};
  bool ready_ = false;
};

}  // namespace

std::unique_ptr<PieceDeflate> MakeZlibPieceDeflate(int level) {
  auto deflater = std::make_unique<ZlibPieceDeflate>(level);
  return deflater->Ready() ? std::move(deflater) : nullptr;
}

std::unique_ptr<RawInflate> MakeZlibRawInflate() {
  auto inflater = std::make_unique<ZlibRawInflate>();
  return inflater->Ready() ? std::move(inflater) : nullptr;
}

}  // namespace tarvo
