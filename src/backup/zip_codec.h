#pragma once
// The deflate and inflate the zip component uses: ISA-L where the build has it (several
// times faster, same format), zlib otherwise and on request. Both write standard raw
// deflate that the other, and any zip reader, inflates.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace tarvo {

enum class ZipCodec { Isal, Zlib };

bool HaveIsal();
// Which one new deflaters and inflaters use: ISA-L when built in, unless set to zlib
// (tests and the benchmark compare the two).
void SetZipCodec(ZipCodec codec);
ZipCodec CurrentZipCodec();

// CRC-32 as zip records it, continued from crc (0 to start).
std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size);

// Chunks of this size are judged by their bytes alone, so the thread count changes nothing.
constexpr std::size_t kDeflateChunk = 64 * 1024;
constexpr std::size_t kDeflateDictionary = 32 * 1024;  // deflate's whole window
// Repeated: one byte over and over (unused pages of a data file, sparse stretches), which
// the fastest matcher shrinks best. Incompressible: random or already compressed data
// (attachments held compressed inside a PST), stored instead of searched for matches, which
// is where the time goes. Text: mostly printable characters, one byte or two (UTF-16) each,
// which zlib's lazy matching shrinks clearly more than igzip does, enough to decide the
// archive's size.
enum class ChunkKind { Repeated, Incompressible, Text, Other };
ChunkKind KindOfChunk(const unsigned char* data, std::size_t size);

// Deflates one piece of an entry into raw deflate data that starts and ends on a byte
// boundary (the last piece ends the stream). Its bytes depend on the piece, its
// dictionary (the data before it, up to kDeflateDictionary bytes) and the level only.
class PieceDeflate {
 public:
  virtual ~PieceDeflate() = default;
  virtual bool Run(const unsigned char* data, std::size_t size, const std::vector<unsigned char>& dictionary,
                   bool last, std::vector<unsigned char>& out) = 0;
};

// level is zlib's (0 stores); null when out of memory.
std::unique_ptr<PieceDeflate> MakePieceDeflate(int level);
std::unique_ptr<PieceDeflate> MakeZlibPieceDeflate(int level);
std::unique_ptr<PieceDeflate> MakeIsalPieceDeflate(int level);

// Inflates one raw deflate stream given in any slices.
class RawInflate {
 public:
  enum class Status { Ok, End, Corrupt };
  virtual ~RawInflate() = default;
  // Takes what it can of the input and fills what it can of the output, moving both
  // along. Call again while input is left or the output came back full.
  virtual Status Run(const unsigned char*& in, std::size_t& inLeft, unsigned char*& out, std::size_t& outLeft) = 0;
};

std::unique_ptr<RawInflate> MakeRawInflate();
std::unique_ptr<RawInflate> MakeZlibRawInflate();
std::unique_ptr<RawInflate> MakeIsalRawInflate();

}  // namespace tarvo
