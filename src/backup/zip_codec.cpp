#include "backup/zip_codec.h"

#include <zlib.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>

#ifdef TARVO_HAVE_ISAL
#include <isa-l/crc.h>
#endif

namespace tarvo {

namespace {

std::atomic<bool> useZlib{false};

// Order-0 entropy in bits per byte: random or compressed data is near 8, text far below.
double Entropy(const std::array<std::uint32_t, 256>& counts, std::size_t size) {
  double bits = 0;
  for (const auto c : counts) {
    if (c == 0) continue;
    const double p = static_cast<double>(c) / static_cast<double>(size);
    bits -= p * std::log2(p);
  }
  return bits;
}

// Four tables filled in turn, so that runs of one byte do not wait on the same counter.
std::array<std::uint32_t, 256> CountBytes(const unsigned char* data, std::size_t size) {
  std::array<std::array<std::uint32_t, 256>, 4> part{};
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    ++part[0][data[i]];
    ++part[1][data[i + 1]];
    ++part[2][data[i + 2]];
    ++part[3][data[i + 3]];
  }
  for (; i < size; ++i) ++part[0][data[i]];
  for (std::size_t b = 0; b < 256; ++b) part[0][b] += part[1][b] + part[2][b] + part[3][b];
  return part[0];
}

bool LooksLikeText(const std::array<std::uint32_t, 256>& counts, std::size_t size) {
  std::size_t printable = counts['\t'] + counts['\n'] + counts['\r'];
  for (unsigned c = 0x20; c < 0x7f; ++c) printable += counts[c];
  // Zeros count only beside as many characters, as in UTF-16; tables of zeros are not text.
  return printable * 20 >= size * 9 && (printable + counts[0]) * 10 >= size * 9;
}

}  // namespace

bool HaveIsal() {
#ifdef TARVO_HAVE_ISAL
  return true;
#else
  return false;
#endif
}

void SetZipCodec(ZipCodec codec) { useZlib = codec == ZipCodec::Zlib; }

ZipCodec CurrentZipCodec() { return HaveIsal() && !useZlib ? ZipCodec::Isal : ZipCodec::Zlib; }

std::uint32_t Crc32(std::uint32_t crc, const unsigned char* data, std::size_t size) {
#ifdef TARVO_HAVE_ISAL
  // Its lengths are 64-bit; zlib's crc32_z would do, several times slower.
  return crc32_gzip_refl(crc, data, static_cast<std::uint64_t>(size));
#else
  return static_cast<std::uint32_t>(crc32_z(crc, data, size));
#endif
}

ChunkKind KindOfChunk(const unsigned char* data, std::size_t size) {
  if (size == 0 || std::memcmp(data, data + 1, size - 1) == 0) return ChunkKind::Repeated;
  const auto counts = CountBytes(data, size);
  if (Entropy(counts, size) > 7.9) return ChunkKind::Incompressible;
  return LooksLikeText(counts, size) ? ChunkKind::Text : ChunkKind::Other;
}

std::unique_ptr<PieceDeflate> MakePieceDeflate(int level) {
  return CurrentZipCodec() == ZipCodec::Isal ? MakeIsalPieceDeflate(level) : MakeZlibPieceDeflate(level);
}

std::unique_ptr<RawInflate> MakeRawInflate() {
  return CurrentZipCodec() == ZipCodec::Isal ? MakeIsalRawInflate() : MakeZlibRawInflate();
}

#ifndef TARVO_HAVE_ISAL
std::unique_ptr<PieceDeflate> MakeIsalPieceDeflate(int level) { return MakeZlibPieceDeflate(level); }
std::unique_ptr<RawInflate> MakeIsalRawInflate() { return MakeZlibRawInflate(); }
#endif

}  // namespace tarvo
