#pragma once
// Cryptographic primitives of the platform (OpenSSL natively, CNG on Windows) in the bulk
// form archive encryption needs: many AES blocks and long MAC updates per call, since
// a call per 16-byte block costs more than the cipher itself.
#include <cstddef>
#include <memory>
#include <string>

namespace tarvo::crypto {

constexpr std::size_t kAesBlockSize = 16;
constexpr std::size_t kSha1Size = 20;

// Bytes from the system's secure random generator.
bool RandomBytes(unsigned char* out, std::size_t size);

// PBKDF2 with HMAC-SHA1 (RFC 8018); the password is taken as its bytes.
bool Pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize,
                    unsigned iterations, unsigned char* out, std::size_t size);

// AES in ECB mode, encryption only: the counter modes are built on it.
class AesEcb {
 public:
  virtual ~AesEcb() = default;
  // Encrypts blocks whole blocks from in to out (separate buffers).
  virtual bool Encrypt(const unsigned char* in, unsigned char* out, std::size_t blocks) = 0;
};
// keySize 16, 24 or 32; nullptr when the platform refuses the key.
std::unique_ptr<AesEcb> NewAesEcb(const unsigned char* key, std::size_t keySize);

class HmacSha1 {
 public:
  virtual ~HmacSha1() = default;
  virtual bool Update(const unsigned char* data, std::size_t size) = 0;
  // The MAC of everything updated; the object is spent afterwards.
  virtual bool Final(unsigned char* mac) = 0;
};
std::unique_ptr<HmacSha1> NewHmacSha1(const unsigned char* key, std::size_t keySize);

// Overwrites secrets in a way the compiler does not drop.
void Wipe(void* data, std::size_t size);

}  // namespace tarvo::crypto
