#include "backup/winzip_aes_encoder.h"

#include <algorithm>
#include <cstring>

namespace tarvo {

namespace {

// Keystream made per call at most: large enough that the per-call cost disappears.
constexpr std::size_t kKeystreamBlocks = 4096;

}  // namespace

WinZipAesEncoder::~WinZipAesEncoder() {
  if (!keystream_.empty()) crypto::Wipe(keystream_.data(), keystream_.size());
}

bool WinZipAesEncoder::Begin(const std::string& password) {
  unsigned char salt[kSaltSize];
  return crypto::RandomBytes(salt, sizeof salt) && Begin(password, salt);
}

bool WinZipAesEncoder::Begin(const std::string& password, const unsigned char* salt) {
  // AES key, HMAC key, then the two verifier bytes.
  unsigned char derived[2 * kKeySize + 2];
  const bool derivedOk = crypto::Pbkdf2HmacSha1(password, salt, kSaltSize, kIterations, derived, sizeof derived);
  if (derivedOk) {
    aes_ = crypto::NewAesEcb(derived, kKeySize);
    mac_ = crypto::NewHmacSha1(derived + kKeySize, kKeySize);
    std::memcpy(header_.data(), salt, kSaltSize);
    std::memcpy(header_.data() + kSaltSize, derived + 2 * kKeySize, 2);
  }
  crypto::Wipe(derived, sizeof derived);
  counter_ = 0;
  keystreamPos_ = keystreamLen_ = 0;
  return derivedOk && aes_ != nullptr && mac_ != nullptr;
}

// Encrypts the next counter blocks, enough for wanted bytes, in one call.
bool WinZipAesEncoder::NextKeystream(std::size_t wanted) {
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

bool WinZipAesEncoder::Encrypt(unsigned char* data, std::size_t size) {
  if (aes_ == nullptr || mac_ == nullptr) return false;
  std::size_t done = 0;
  while (done < size) {
    if (keystreamPos_ == keystreamLen_ && !NextKeystream(size - done)) return false;
    const std::size_t n = std::min(size - done, keystreamLen_ - keystreamPos_);
    const unsigned char* key = keystream_.data() + keystreamPos_;
    for (std::size_t i = 0; i < n; ++i) data[done + i] ^= key[i];
    keystreamPos_ += n;
    done += n;
  }
  return mac_->Update(data, size);
}

bool WinZipAesEncoder::Finish(unsigned char* code) {
  if (mac_ == nullptr) return false;
  unsigned char full[crypto::kSha1Size];
  const bool ok = mac_->Final(full);
  mac_.reset();
  if (ok) std::memcpy(code, full, kCodeSize);
  return ok;
}

}  // namespace tarvo
