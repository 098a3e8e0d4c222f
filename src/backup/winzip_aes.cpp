#include "backup/winzip_aes.h"

#include <algorithm>
#include <cstring>

namespace tarvo {

namespace {

// Keystream made per call at most: large enough that the per-call cost disappears.
constexpr std::size_t kKeystreamBlocks = 4096;

}  // namespace

WinZipAes::~WinZipAes() {
  if (!keystream_.empty()) crypto::Wipe(keystream_.data(), keystream_.size());
}

bool WinZipAes::BeginNew(const std::string& password) {
  unsigned char salt[SaltSize(kWriteKeySize)];
  return crypto::RandomBytes(salt, sizeof salt) && Begin(password, salt, kWriteKeySize);
}

bool WinZipAes::Begin(const std::string& password, const unsigned char* salt, std::size_t keySize) {
  aes_.reset();
  mac_.reset();
  counter_ = 0;
  keystreamPos_ = keystreamLen_ = 0;
  if (keySize != 16 && keySize != 24 && keySize != 32) return false;
  // AES key, HMAC key, then the verifier.
  unsigned char derived[2 * 32 + kVerifierSize];
  const std::size_t derivedSize = 2 * keySize + kVerifierSize;
  const std::size_t saltSize = SaltSize(keySize);
  const bool derivedOk = crypto::Pbkdf2HmacSha1(password, salt, saltSize, kIterations, derived, derivedSize);
  if (derivedOk) {
    aes_ = crypto::NewAesEcb(derived, keySize);
    mac_ = crypto::NewHmacSha1(derived + keySize, keySize);
    header_.assign(salt, salt + saltSize);
    header_.insert(header_.end(), derived + 2 * keySize, derived + derivedSize);
  }
  crypto::Wipe(derived, sizeof derived);
  return derivedOk && aes_ != nullptr && mac_ != nullptr;
}

bool WinZipAes::VerifierMatches(const unsigned char* verifier) const {
  return header_.size() >= kVerifierSize && std::memcmp(header_.data() + header_.size() - kVerifierSize, verifier,
                                                        kVerifierSize) == 0;
}

// Encrypts the next counter blocks, enough for wanted bytes, in one call.
bool WinZipAes::NextKeystream(std::size_t wanted) {
  const std::size_t blocks =
      std::min(kKeystreamBlocks, (wanted + crypto::kAesBlockSize - 1) / crypto::kAesBlockSize);
  const std::size_t size = blocks * crypto::kAesBlockSize;
  counters_.assign(size, 0);
  keystream_.resize(std::max(keystream_.size(), size));
  for (std::size_t b = 0; b < blocks; ++b) {
    // A 128-bit little-endian counter; an entry never gets near 2^64 blocks.
    const std::uint64_t value = ++counter_;
    unsigned char* block = counters_.data() + b * crypto::kAesBlockSize;
    for (int i = 0; i < 8; ++i) block[i] = static_cast<unsigned char>(value >> (8 * i));
  }
  if (!aes_->Encrypt(counters_.data(), keystream_.data(), blocks)) return false;
  keystreamPos_ = 0;
  keystreamLen_ = size;
  return true;
}

bool WinZipAes::ApplyKeystream(unsigned char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    if (keystreamPos_ == keystreamLen_ && !NextKeystream(size - done)) return false;
    const std::size_t n = std::min(size - done, keystreamLen_ - keystreamPos_);
    const unsigned char* key = keystream_.data() + keystreamPos_;
    for (std::size_t i = 0; i < n; ++i) data[done + i] ^= key[i];
    keystreamPos_ += n;
    done += n;
  }
  return true;
}

bool WinZipAes::Encrypt(unsigned char* data, std::size_t size) {
  return aes_ != nullptr && mac_ != nullptr && ApplyKeystream(data, size) && mac_->Update(data, size);
}

bool WinZipAes::Decrypt(unsigned char* data, std::size_t size) {
  return aes_ != nullptr && mac_ != nullptr && mac_->Update(data, size) && ApplyKeystream(data, size);
}

bool WinZipAes::Finish(unsigned char* code) {
  if (mac_ == nullptr) return false;
  unsigned char full[crypto::kSha1Size];
  const bool ok = mac_->Final(full);
  mac_.reset();
  if (ok) std::memcpy(code, full, kCodeSize);
  return ok;
}

bool SameCode(const unsigned char* a, const unsigned char* b) {
  unsigned char diff = 0;
  for (std::size_t i = 0; i < WinZipAes::kCodeSize; ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace tarvo
