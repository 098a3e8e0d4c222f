// The crypto primitives over OpenSSL 3 (libcrypto).
#include <openssl/crypto.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <climits>

#include "platform/crypto.h"

namespace tarvo::crypto {

namespace {

bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

class OpenSslAesEcb final : public AesEcb {
 public:
  explicit OpenSslAesEcb(EVP_CIPHER_CTX* ctx) : ctx_(ctx) {}
  ~OpenSslAesEcb() override { EVP_CIPHER_CTX_free(ctx_); }
  OpenSslAesEcb(const OpenSslAesEcb&) = delete;
  OpenSslAesEcb& operator=(const OpenSslAesEcb&) = delete;

  bool Encrypt(const unsigned char* in, unsigned char* out, std::size_t blocks) override {
    const std::size_t size = blocks * kAesBlockSize;
    if (!FitsInt(size)) return false;
    int written = 0;
    return EVP_EncryptUpdate(ctx_, out, &written, in, static_cast<int>(size)) == 1 &&
           static_cast<std::size_t>(written) == size;
  }

 private:
  EVP_CIPHER_CTX* ctx_;
};

class OpenSslHmacSha1 final : public HmacSha1 {
 public:
  explicit OpenSslHmacSha1(EVP_MAC_CTX* ctx) : ctx_(ctx) {}
  ~OpenSslHmacSha1() override { EVP_MAC_CTX_free(ctx_); }
  OpenSslHmacSha1(const OpenSslHmacSha1&) = delete;
  OpenSslHmacSha1& operator=(const OpenSslHmacSha1&) = delete;

  bool Update(const unsigned char* data, std::size_t size) override { return EVP_MAC_update(ctx_, data, size) == 1; }

  bool Final(unsigned char* mac) override {
    std::size_t written = 0;
    return EVP_MAC_final(ctx_, mac, &written, kSha1Size) == 1 && written == kSha1Size;
  }

 private:
  EVP_MAC_CTX* ctx_;
};

const EVP_CIPHER* EcbCipher(std::size_t keySize) {
  switch (keySize) {
    case 16: return EVP_aes_128_ecb();
    case 24: return EVP_aes_192_ecb();
    case 32: return EVP_aes_256_ecb();
    default: return nullptr;
  }
}

}  // namespace

bool RandomBytes(unsigned char* out, std::size_t size) {
  return FitsInt(size) && RAND_bytes(out, static_cast<int>(size)) == 1;
}

bool Pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize,
                    unsigned iterations, unsigned char* out, std::size_t size) {
  if (!FitsInt(password.size()) || !FitsInt(saltSize) || !FitsInt(size) || iterations == 0 ||
      iterations > static_cast<unsigned>(INT_MAX))
    return false;
  return PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
                                static_cast<int>(saltSize), static_cast<int>(iterations), static_cast<int>(size),
                                out) == 1;
}

std::unique_ptr<AesEcb> NewAesEcb(const unsigned char* key, std::size_t keySize) {
  const EVP_CIPHER* cipher = EcbCipher(keySize);
  if (cipher == nullptr) return nullptr;
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  if (ctx == nullptr) return nullptr;
  if (EVP_EncryptInit_ex(ctx, cipher, nullptr, key, nullptr) != 1 || EVP_CIPHER_CTX_set_padding(ctx, 0) != 1) {
    EVP_CIPHER_CTX_free(ctx);
    return nullptr;
  }
  return std::make_unique<OpenSslAesEcb>(ctx);
}

std::unique_ptr<HmacSha1> NewHmacSha1(const unsigned char* key, std::size_t keySize) {
  EVP_MAC* hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  if (hmac == nullptr) return nullptr;
  EVP_MAC_CTX* ctx = EVP_MAC_CTX_new(hmac);
  EVP_MAC_free(hmac);  // the context keeps its own reference
  if (ctx == nullptr) return nullptr;
  char digest[] = "SHA1";
  const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
  if (EVP_MAC_init(ctx, key, keySize, params) != 1) {
    EVP_MAC_CTX_free(ctx);
    return nullptr;
  }
  return std::make_unique<OpenSslHmacSha1>(ctx);
}

void Wipe(void* data, std::size_t size) { OPENSSL_cleanse(data, size); }

}  // namespace tarvo::crypto
