#pragma once
// WinZip AES encryption of one entry's (compressed) data, both ways: keys and password
// verifier from PBKDF2 over the salt, AES-CTR with the format's little-endian counter, and
// the HMAC-SHA1 authentication code over the encrypted bytes. Done here in large pieces
// rather than by libzip, which calls the cipher once per 16-byte block.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypto.h"

namespace tarvo {

class WinZipAes {
 public:
  static constexpr std::size_t kWriteKeySize = 32;  // archives are written with AES-256
  static constexpr std::size_t kVerifierSize = 2;
  static constexpr std::size_t kCodeSize = 10;
  static constexpr unsigned kIterations = 1000;
  // The salt is half the key: 8, 12 or 16 bytes.
  static constexpr std::size_t SaltSize(std::size_t keySize) { return keySize / 2; }

  WinZipAes() = default;
  ~WinZipAes();
  WinZipAes(const WinZipAes&) = delete;
  WinZipAes& operator=(const WinZipAes&) = delete;

  // Keys for a new entry: AES-256 with a fresh random salt.
  bool BeginNew(const std::string& password);
  // Keys from an entry's salt; keySize 16, 24 or 32.
  bool Begin(const std::string& password, const unsigned char* salt, std::size_t keySize);

  // What precedes the encrypted data: the salt, then the password verifier.
  const std::vector<unsigned char>& Header() const { return header_; }
  bool VerifierMatches(const unsigned char* verifier) const;

  // In place, in pieces of any size. The code covers the encrypted bytes either way.
  bool Encrypt(unsigned char* data, std::size_t size);
  bool Decrypt(unsigned char* data, std::size_t size);
  // The kCodeSize-byte authentication code that follows the encrypted data.
  bool Finish(unsigned char* code);

 private:
  bool ApplyKeystream(unsigned char* data, std::size_t size);
  bool NextKeystream(std::size_t wanted);

  std::unique_ptr<crypto::AesEcb> aes_;
  std::unique_ptr<crypto::HmacSha1> mac_;
  std::vector<unsigned char> header_;
  std::uint64_t counter_ = 0;  // blocks used so far; the format counts from 1
  std::vector<unsigned char> counters_, keystream_;
  std::size_t keystreamPos_ = 0, keystreamLen_ = 0;
};

// True when the 10-byte codes are equal; takes the same time wherever they differ.
bool SameCode(const unsigned char* a, const unsigned char* b);

}  // namespace tarvo
