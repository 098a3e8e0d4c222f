// The platform's crypto primitives against published vectors: OpenSSL natively, CNG under Wine.
#include "platform/crypto.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvo::crypto {
namespace {

std::vector<unsigned char> Hex(const std::string& hex) {
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(Crypto, Pbkdf2HmacSha1MatchesRfc6070) {
  struct Case {
    std::string password, salt;
    unsigned iterations;
    std::string expected;
  } cases[] = {
      {"password", "salt", 1, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
      {"password", "salt", 4096, "4b007901b765489abead49d926f721d065a429c1"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
      {std::string("pass\0word", 9), std::string("sa\0lt", 5), 4096, "56fa6aa75548099dcc37d7f03425e0c3"},
  };
  for (const auto& c : cases) {
    const auto salt = Bytes(c.salt);
    const auto expected = Hex(c.expected);
    std::vector<unsigned char> out(expected.size());
    ASSERT_TRUE(Pbkdf2HmacSha1(c.password, salt.data(), salt.size(), c.iterations, out.data(), out.size()));
    EXPECT_EQ(out, expected) << c.password << " / " << c.iterations;
  }
}

TEST(Crypto, AesEcbMatchesFips197InBulk) {
  const auto key = Hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const auto block = Hex("00112233445566778899aabbccddeeff");
  const auto expected = Hex("8ea2b7ca516745bfeafc49904b496089");
  auto aes = NewAesEcb(key.data(), key.size());
  ASSERT_NE(aes, nullptr);

  // Many blocks in one call: each must be encrypted on its own (no chaining).
  constexpr std::size_t kBlocks = 1000;
  std::vector<unsigned char> in, out(kBlocks * kAesBlockSize);
  for (std::size_t i = 0; i < kBlocks; ++i) in.insert(in.end(), block.begin(), block.end());
  ASSERT_TRUE(aes->Encrypt(in.data(), out.data(), kBlocks));
  for (std::size_t i = 0; i < kBlocks; i += 333)
    EXPECT_EQ(std::vector<unsigned char>(out.begin() + i * 16, out.begin() + i * 16 + 16), expected) << "block " << i;

  // A second call goes on with the same key.
  std::vector<unsigned char> again(kAesBlockSize);
  ASSERT_TRUE(aes->Encrypt(block.data(), again.data(), 1));
  EXPECT_EQ(again, expected);

  EXPECT_EQ(NewAesEcb(key.data(), 20), nullptr);
}

TEST(Crypto, HmacSha1MatchesRfc2202InPieces) {
  const std::vector<unsigned char> key(20, 0x0b);
  auto mac = NewHmacSha1(key.data(), key.size());
  ASSERT_NE(mac, nullptr);
  const auto data = Bytes("Hi There");
  ASSERT_TRUE(mac->Update(data.data(), 3));
  ASSERT_TRUE(mac->Update(data.data() + 3, data.size() - 3));
  std::vector<unsigned char> out(kSha1Size);
  ASSERT_TRUE(mac->Final(out.data()));
  EXPECT_EQ(out, Hex("b617318655057264e28bc0b6fb378c8ef146be00"));

  // A key longer than SHA-1's block is hashed first.
  const std::vector<unsigned char> longKey(80, 0xaa);
  auto longMac = NewHmacSha1(longKey.data(), longKey.size());
  ASSERT_NE(longMac, nullptr);
  const auto text = Bytes("Test Using Larger Than Block-Size Key - Hash Key First");
  ASSERT_TRUE(longMac->Update(text.data(), text.size()));
  ASSERT_TRUE(longMac->Final(out.data()));
  EXPECT_EQ(out, Hex("aa4ae5e15272d00e95705637ce8a3b55ed402112"));
}

TEST(Crypto, RandomBytesDifferEachCall) {
  std::vector<unsigned char> a(32), b(32);
  ASSERT_TRUE(RandomBytes(a.data(), a.size()));
  ASSERT_TRUE(RandomBytes(b.data(), b.size()));
  EXPECT_NE(a, b);
  EXPECT_NE(a, std::vector<unsigned char>(32, 0));
}

}  // namespace
}  // namespace tarvo::crypto
