// ISA-L's deflate (igzip) and inflate. A piece is cut into runs of chunks alike: text is
// deflated by zlib, whose lazy matching shrinks it clearly more (enough to keep the archive
// no larger than 7-Zip's fastest zip), other compressible data by igzip, several times
// faster, one byte repeated by igzip's fastest level (its best level crawls over such runs
// and writes more), and incompressible data written as stored blocks here. Each run ends on a byte
// boundary. The kind of a chunk depends on its bytes only, so the thread count still
// changes nothing.
#ifdef TARVO_HAVE_ISAL

#include <isa-l/igzip_lib.h>
#include <zlib.h>

#include <algorithm>
#include <utility>

#include "backup/zip_codec.h"

namespace tarvo {

namespace {

constexpr std::size_t kStoredMax = 65535;  // a stored block's largest length
// zlib's level for text: 4 keeps the bench file's archive below 7-Zip's with a margin.
constexpr int kTextLevel = 4;

enum class Kind : unsigned char { Stored, Text, Binary, Repeated };

// Output written into a buffer that is reused from piece to piece: it is cleared and
// faulted in once, not for every piece.
class Output {
 public:
  unsigned char* Room(std::size_t size) {
    if (buffer_.size() < used_ + size) buffer_.resize(used_ + size);
    return buffer_.data() + used_;
  }
  void Add(std::size_t size) { used_ += size; }
  void Append(const unsigned char* data, std::size_t size) {
    std::copy(data, data + size, Room(size));
    used_ += size;
  }
  void Start() { used_ = 0; }
  void CopyTo(std::vector<unsigned char>& out) const { out.assign(buffer_.data(), buffer_.data() + used_); }

 private:
  std::vector<unsigned char> buffer_;
  std::size_t used_ = 0;
};

// Stored blocks of data; the output is on a byte boundary before and after them.
void AppendStored(Output& out, const unsigned char* data, std::size_t size, bool final) {
  std::size_t at = 0;
  do {
    const std::size_t n = std::min(kStoredMax, size - at);
    const bool lastBlock = final && at + n == size;
    const unsigned char header[5] = {static_cast<unsigned char>(lastBlock ? 1 : 0), static_cast<unsigned char>(n),
                                     static_cast<unsigned char>(n >> 8), static_cast<unsigned char>(~n),
                                     static_cast<unsigned char>(~n >> 8)};
    out.Append(header, sizeof header);
    if (n > 0) out.Append(data + at, n);
    at += n;
  } while (at < size);
}

// igzip's level from zlib's: 1 to 3, 3 the smallest output.
std::uint32_t IsalLevel(int level) { return static_cast<std::uint32_t>(std::clamp(level, 1, 3)); }

Kind KindFor(ChunkKind chunk, bool zlibReady) {
  switch (chunk) {
    case ChunkKind::Repeated: return Kind::Repeated;
    case ChunkKind::Incompressible: return Kind::Stored;
    case ChunkKind::Text: return zlibReady ? Kind::Text : Kind::Binary;
    case ChunkKind::Other: break;
  }
  return Kind::Binary;
}

class IsalPieceDeflate : public PieceDeflate {
 public:
  explicit IsalPieceDeflate(int level) : store_(level <= 0), levelBuf_(ISAL_DEF_LVL3_DEFAULT) {
    isal_deflate_init(&s_);
    level_ = IsalLevel(level);
    zlibReady_ = deflateInit2(&z_, std::clamp(level, 1, kTextLevel), Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  }
  ~IsalPieceDeflate() override {
    if (zlibReady_) deflateEnd(&z_);
  }
  IsalPieceDeflate(const IsalPieceDeflate&) = delete;
  IsalPieceDeflate& operator=(const IsalPieceDeflate&) = delete;

  bool Run(const unsigned char* data, std::size_t size, const std::vector<unsigned char>& dictionary, bool last,
           std::vector<unsigned char>& out) override {
    out_.Start();
    if (size == 0 && last) AppendStored(out_, data, 0, true);
    Classify(data, size);
    for (std::size_t run = 0, at = 0; run < kinds_.size();) {
      std::size_t end = at, next = run;
      for (; next < kinds_.size() && kinds_[next] == kinds_[run]; ++next) end = std::min(size, end + kDeflateChunk);
      const bool final = last && end == size;
      if (kinds_[run] == Kind::Stored)
        AppendStored(out_, data + at, end - at, final);
      else if (!(kinds_[run] == Kind::Text ? DeflateText(data, at, end, dictionary, final)
                                            : Deflate(data, at, end, dictionary, final, LevelOf(kinds_[run]))))
        return false;
      run = next, at = end;
    }
    out_.CopyTo(out);
    return true;
  }

 private:
  void Classify(const unsigned char* data, std::size_t size) {
    kinds_.clear();
    for (std::size_t at = 0; at < size; at += kDeflateChunk) {
      const std::size_t n = std::min(kDeflateChunk, size - at);
      kinds_.push_back(store_ ? Kind::Stored : KindFor(KindOfChunk(data + at, n), zlibReady_));
    }
  }

  std::uint32_t LevelOf(Kind kind) const { return kind == Kind::Repeated ? 1 : level_; }

  // The window before data + at: the end of the dictionary and what of the piece came first.
  std::pair<const unsigned char*, std::size_t> Window(const unsigned char* data, std::size_t at,
                                                      const std::vector<unsigned char>& dictionary) {
    if (at >= kDeflateDictionary) return {data + at - kDeflateDictionary, kDeflateDictionary};
    const std::size_t fromDictionary = std::min(dictionary.size(), kDeflateDictionary - at);
    window_.assign(dictionary.end() - static_cast<std::ptrdiff_t>(fromDictionary), dictionary.end());
    window_.insert(window_.end(), data, data + at);
    return {window_.data(), window_.size()};
  }

  // data[at, end) as zlib blocks ending on a byte boundary, or ending the stream.
  bool DeflateText(const unsigned char* data, std::size_t at, std::size_t end,
                   const std::vector<unsigned char>& dictionary, bool final) {
    const auto [window, windowSize] = Window(data, at, dictionary);
    if (deflateReset(&z_) != Z_OK) return false;
    if (windowSize > 0 && deflateSetDictionary(&z_, window, static_cast<uInt>(windowSize)) != Z_OK) return false;
    z_.next_in = const_cast<unsigned char*>(data + at);
    z_.avail_in = static_cast<uInt>(end - at);
    for (;;) {
      const std::size_t room = deflateBound(&z_, static_cast<uLong>(end - at)) + 16;
      z_.next_out = out_.Room(room);
      z_.avail_out = static_cast<uInt>(room);
      const int rc = deflate(&z_, final ? Z_FINISH : Z_SYNC_FLUSH);
      out_.Add(room - z_.avail_out);
      if (rc == Z_STREAM_END || (!final && rc == Z_OK && z_.avail_in == 0 && z_.avail_out > 0)) return true;
      if (rc != Z_OK && rc != Z_BUF_ERROR) return false;
    }
  }

  // data[at, end) as igzip blocks ending on a byte boundary, or ending the stream.
  bool Deflate(const unsigned char* data, std::size_t at, std::size_t end, const std::vector<unsigned char>& dictionary,
               bool final, std::uint32_t level) {
    isal_deflate_reset(&s_);
    s_.level = level;
    s_.level_buf = levelBuf_.data();
    s_.level_buf_size = static_cast<std::uint32_t>(levelBuf_.size());
    s_.flush = final ? NO_FLUSH : SYNC_FLUSH;
    s_.end_of_stream = final ? 1 : 0;
    const auto [window, windowSize] = Window(data, at, dictionary);
    if (windowSize > 0)
      isal_deflate_set_dict(&s_, const_cast<unsigned char*>(window), static_cast<std::uint32_t>(windowSize));
    s_.next_in = const_cast<unsigned char*>(data + at);
    s_.avail_in = static_cast<std::uint32_t>(end - at);
    do {
      // igzip stores what does not shrink, so the run and a little more always fit.
      const std::size_t room = (end - at) + 64 * 1024;
      s_.next_out = out_.Room(room);
      s_.avail_out = static_cast<std::uint32_t>(room);
      const int rc = isal_deflate(&s_);
      out_.Add(room - s_.avail_out);
      if (rc != COMP_OK) return false;
    } while (s_.avail_in > 0 || s_.avail_out == 0 || (final && s_.internal_state.state != ZSTATE_END));
    return true;
  }

  bool store_;
  std::uint32_t level_;
  std::vector<unsigned char> levelBuf_, window_;
  std::vector<Kind> kinds_;
  Output out_;
  isal_zstream s_{};
  z_stream z_{};
  bool zlibReady_ = false;
};

class IsalRawInflate : public RawInflate {
 public:
  IsalRawInflate() { isal_inflate_init(&state_); }

  Status Run(const unsigned char*& in, std::size_t& inLeft, unsigned char*& out, std::size_t& outLeft) override {
    state_.next_in = const_cast<unsigned char*>(in);
    state_.avail_in = static_cast<std::uint32_t>(std::min<std::size_t>(inLeft, UINT32_MAX));
    state_.next_out = out;
    state_.avail_out = static_cast<std::uint32_t>(std::min<std::size_t>(outLeft, UINT32_MAX));
    const std::uint32_t inGiven = state_.avail_in, outGiven = state_.avail_out;
    const int rc = isal_inflate(&state_);
    in += inGiven - state_.avail_in, inLeft -= inGiven - state_.avail_in;
    out += outGiven - state_.avail_out, outLeft -= outGiven - state_.avail_out;
    if (rc < 0) return Status::Corrupt;
    return state_.block_state == ISAL_BLOCK_FINISH ? Status::End : Status::Ok;
  }

 private:
  inflate_state state_{};
};

}  // namespace

std::unique_ptr<PieceDeflate> MakeIsalPieceDeflate(int level) { return std::make_unique<IsalPieceDeflate>(level); }

std::unique_ptr<RawInflate> MakeIsalRawInflate() { return std::make_unique<IsalRawInflate>(); }

}  // namespace tarvo

#endif  // TARVO_HAVE_ISAL
