#include "backup/zip_codec.h"

#include <zlib.h>

#include <array>
#include <atomic>
#include <cmath>

#ifdef TARVO_HAVE_ISAL
#include <isa-l/crc.h>
#endif

namespace tarvo {

namespace {

std::atomic<bool> useZlib{false};

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

bool LooksIncompressible(const unsigned char* data, std::size_t size) { return Entropy(data, size) > 7.9; }

bool LooksLikeText(const unsigned char* data, std::size_t size) {
  std::size_t printable = 0, zeros = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const unsigned char c = data[i];
    printable += (c >= 0x20 && c < 0x7f) || c == '\t' || c == '\n' || c == '\r' ? 1 : 0;
    zeros += c == 0 ? 1 : 0;
  }
  // Zeros count only beside as many characters, as in UTF-16; tables of zeros are not text.
  return printable * 20 >= size * 9 && (printable + zeros) * 10 >= size * 9;
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
