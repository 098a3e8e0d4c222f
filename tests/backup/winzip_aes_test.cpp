#include "backup/winzip_aes.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "platform/crypto.h"

namespace tarvo {
namespace {

using Bytes = std::vector<unsigned char>;

const unsigned char kSalt[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

Bytes Sample(std::size_t size) {
  Bytes data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<unsigned char>((i * 7919) ^ (i >> 8));
  return data;
}

struct Encoded {
  Bytes header, data, code;
};

// Encrypts data in pieces of the given sizes, the last piece taking the rest.
Encoded EncodeInPieces(const Bytes& plain, const std::vector<std::size_t>& pieces) {
  WinZipAes encoder;
  EXPECT_TRUE(encoder.Begin("s3cret", kSalt, 32));
  Encoded out{encoder.Header(), plain, Bytes(WinZipAes::kCodeSize)};
  std::size_t at = 0;
  for (std::size_t piece : pieces) {
    piece = std::min(piece, out.data.size() - at);
    EXPECT_TRUE(encoder.Encrypt(out.data.data() + at, piece));
    at += piece;
  }
  EXPECT_TRUE(encoder.Encrypt(out.data.data() + at, out.data.size() - at));
  EXPECT_TRUE(encoder.Finish(out.code.data()));
  return out;
}

// The format written out from its definition: PBKDF2 gives the AES key, the HMAC key and the
// verifier in that order; the keystream is AES of a little-endian block counter from 1;
// the code is the first 10 bytes of HMAC-SHA1 over the encrypted data.
TEST(WinZipAes, FollowsTheWinZipAesConstruction) {
  const Bytes plain = Sample(300 * 16 + 5);  // past counter 256, where a big-endian counter would differ
  const Encoded got = EncodeInPieces(plain, {});

  unsigned char derived[66];
  ASSERT_TRUE(crypto::Pbkdf2HmacSha1("s3cret", kSalt, sizeof kSalt, 1000, derived, sizeof derived));
  Bytes header(kSalt, kSalt + 16);
  header.insert(header.end(), derived + 64, derived + 66);
  EXPECT_EQ(got.header, header);

  const std::size_t blocks = (plain.size() + 15) / 16;
  Bytes counters(blocks * 16, 0), stream(blocks * 16);
  for (std::size_t b = 0; b < blocks; ++b) {
    counters[b * 16] = static_cast<unsigned char>((b + 1) & 0xff);
    counters[b * 16 + 1] = static_cast<unsigned char>((b + 1) >> 8);
  }
  auto aes = crypto::NewAesEcb(derived, 32);
  ASSERT_TRUE(aes && aes->Encrypt(counters.data(), stream.data(), blocks));
  Bytes expected = plain;
  for (std::size_t i = 0; i < expected.size(); ++i) expected[i] ^= stream[i];
  EXPECT_EQ(got.data, expected);

  auto mac = crypto::NewHmacSha1(derived + 32, 32);
  unsigned char full[20];
  ASSERT_TRUE(mac && mac->Update(expected.data(), expected.size()) && mac->Final(full));
  EXPECT_EQ(got.code, Bytes(full, full + 10));
}

TEST(WinZipAes, PiecesOfAnySizeGiveTheSameOutput) {
  // Crosses the encoder's own keystream refills (64 KiB) at odd offsets.
  const Bytes plain = Sample(3 * 65536 + 1000);
  const Encoded whole = EncodeInPieces(plain, {});
  const std::vector<std::vector<std::size_t>> splits = {
      {1, 15, 16, 17, 4095},
      {65535, 2, 65536},
      {7, 7, 7, 7, 131072, 33},
      {0, 65536 * 2 + 9},
  };
  for (const auto& split : splits) {
    const Encoded pieces = EncodeInPieces(plain, split);
    EXPECT_EQ(pieces.data, whole.data) << "first piece " << split.front();
    EXPECT_EQ(pieces.code, whole.code) << "first piece " << split.front();
  }
}

TEST(WinZipAes, EachEntryGetsAFreshSalt) {
  WinZipAes a, b;
  ASSERT_TRUE(a.BeginNew("pw"));
  ASSERT_TRUE(b.BeginNew("pw"));
  EXPECT_NE(a.Header(), b.Header());

  Bytes x = Sample(64), y = Sample(64);
  ASSERT_TRUE(a.Encrypt(x.data(), x.size()));
  ASSERT_TRUE(b.Encrypt(y.data(), y.size()));
  EXPECT_NE(x, y);
  EXPECT_NE(x, Sample(64));
}

TEST(WinZipAes, RefusesWorkBeforeBegin) {
  WinZipAes aes;
  Bytes data = Sample(16);
  unsigned char code[WinZipAes::kCodeSize];
  EXPECT_FALSE(aes.Encrypt(data.data(), data.size()));
  EXPECT_FALSE(aes.Decrypt(data.data(), data.size()));
  EXPECT_FALSE(aes.Finish(code));
  EXPECT_FALSE(aes.Begin("pw", kSalt, 20));
}

// Decryption in other pieces gives the data back, the same code, and the verifier of the
// right password only; AES-128 and -192 entries (from other tools) use shorter salts.
TEST(WinZipAes, DecryptsWhatItEncryptsForEveryKeySize) {
  const Bytes plain = Sample(70001);
  for (const std::size_t keySize : {16u, 24u, 32u}) {
    SCOPED_TRACE(keySize);
    WinZipAes writer;
    ASSERT_TRUE(writer.Begin("pw", kSalt, keySize));
    EXPECT_EQ(writer.Header().size(), keySize / 2 + 2);
    Bytes data = plain;
    ASSERT_TRUE(writer.Encrypt(data.data(), data.size()));
    unsigned char written[WinZipAes::kCodeSize], read[WinZipAes::kCodeSize];
    ASSERT_TRUE(writer.Finish(written));

    WinZipAes reader;
    ASSERT_TRUE(reader.Begin("pw", kSalt, keySize));
    EXPECT_TRUE(reader.VerifierMatches(writer.Header().data() + keySize / 2));
    ASSERT_TRUE(reader.Decrypt(data.data(), 33));
    ASSERT_TRUE(reader.Decrypt(data.data() + 33, data.size() - 33));
    ASSERT_TRUE(reader.Finish(read));
    EXPECT_EQ(data, plain);
    EXPECT_TRUE(SameCode(written, read));
    read[9] ^= 1;
    EXPECT_FALSE(SameCode(written, read));

    WinZipAes wrong;
    ASSERT_TRUE(wrong.Begin("PW", kSalt, keySize));
    EXPECT_FALSE(wrong.VerifierMatches(writer.Header().data() + keySize / 2));
  }
}

}  // namespace
}  // namespace tarvo
