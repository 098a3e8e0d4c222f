#pragma once
// WinZip AES-256 encryption of one entry's (already compressed) data: the salt and password
// verifier header, AES-CTR with the format's little-endian counter, and the HMAC-SHA1
// authentication code over the encrypted bytes. Done here in large pieces rather than by
// libzip, which calls the cipher once per 16-byte block.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/crypto.h"

namespace tarvo {

class WinZipAesEncoder {
 public:
  static constexpr std::size_t kKeySize = 32;
  static constexpr std::size_t kSaltSize = 16;
  static constexpr std::size_t kHeaderSize = kSaltSize + 2;  // salt, password verifier
  static constexpr std::size_t kCodeSize = 10;
  static constexpr unsigned kIterations = 1000;

  WinZipAesEncoder() = default;
  ~WinZipAesEncoder();
  WinZipAesEncoder(const WinZipAesEncoder&) = delete;
  WinZipAesEncoder& operator=(const WinZipAesEncoder&) = delete;

  // Derives the keys of one entry from the password and a fresh random salt.
  bool Begin(const std::string& password);
  // The same with a given salt of kSaltSize bytes.
  bool Begin(const std::string& password, const unsigned char* salt);

  // Salt and verifier, written before the encrypted data.
  const std::array<unsigned char, kHeaderSize>& Header() const { return header_; }
  // Encrypts in place; the data may come in pieces of any size.
  bool Encrypt(unsigned char* data, std::size_t size);
  // Writes the kCodeSize-byte authentication code that follows the encrypted data.
  bool Finish(unsigned char* code);

 private:
  bool NextKeystream(std::size_t wanted);

  std::unique_ptr<crypto::AesEcb> aes_;
  std::unique_ptr<crypto::HmacSha1> mac_;
  std::array<unsigned char, kHeaderSize> header_{};
  std::uint64_t counter_ = 0;  // blocks used so far; the format counts from 1
  std::vector<unsigned char> counters_, keystream_;
  std::size_t keystreamPos_ = 0, keystreamLen_ = 0;
};

}  // namespace tarvo
