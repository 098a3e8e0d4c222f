// The crypto primitives over CNG (bcrypt.dll), Windows 7 and later.
#include <windows.h>
#include <bcrypt.h>

#include <climits>

#include "platform/crypto.h"

namespace tarvo::crypto {

namespace {

bool FitsUlong(std::size_t size) { return size <= static_cast<std::size_t>(ULONG_MAX); }

// One algorithm provider; closed with the object that opened it.
class Provider {
 public:
  Provider(const wchar_t* algorithm, ULONG flags) {
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags))) handle_ = nullptr;
  }
  ~Provider() {
    if (handle_ != nullptr) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

class CngAesEcb final : public AesEcb {
 public:
  CngAesEcb() : aes_(BCRYPT_AES_ALGORITHM, 0) {}
  ~CngAesEcb() override {
    if (key_ != nullptr) BCryptDestroyKey(key_);
  }
  CngAesEcb(const CngAesEcb&) = delete;
  CngAesEcb& operator=(const CngAesEcb&) = delete;

  bool Init(const unsigned char* key, std::size_t keySize) {
    if (aes_.get() == nullptr) return false;
    wchar_t ecb[] = BCRYPT_CHAIN_MODE_ECB;
    if (!BCRYPT_SUCCESS(BCryptSetProperty(aes_.get(), BCRYPT_CHAINING_MODE, reinterpret_cast<PUCHAR>(ecb),
                                          sizeof ecb, 0)))
      return false;
    return BCRYPT_SUCCESS(BCryptGenerateSymmetricKey(aes_.get(), &key_, nullptr, 0, const_cast<PUCHAR>(key),
                                                     static_cast<ULONG>(keySize), 0));
  }

  bool Encrypt(const unsigned char* in, unsigned char* out, std::size_t blocks) override {
    const std::size_t size = blocks * kAesBlockSize;
    if (!FitsUlong(size)) return false;
    ULONG written = 0;
    return BCRYPT_SUCCESS(BCryptEncrypt(key_, const_cast<PUCHAR>(in), static_cast<ULONG>(size), nullptr, nullptr,
                                        0, out, static_cast<ULONG>(size), &written, 0)) &&
           written == size;
  }

 private:
  Provider aes_;
  BCRYPT_KEY_HANDLE key_ = nullptr;
};

class CngHmacSha1 final : public HmacSha1 {
 public:
  CngHmacSha1() : sha1_(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG) {}
  ~CngHmacSha1() override {
    if (hash_ != nullptr) BCryptDestroyHash(hash_);
  }
  CngHmacSha1(const CngHmacSha1&) = delete;
  CngHmacSha1& operator=(const CngHmacSha1&) = delete;

  bool Init(const unsigned char* key, std::size_t keySize) {
    return sha1_.get() != nullptr && FitsUlong(keySize) &&
           BCRYPT_SUCCESS(BCryptCreateHash(sha1_.get(), &hash_, nullptr, 0, const_cast<PUCHAR>(key),
                                           static_cast<ULONG>(keySize), 0));
  }

  bool Update(const unsigned char* data, std::size_t size) override {
    while (size > 0) {
      const ULONG n = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
      if (!BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<PUCHAR>(data), n, 0))) return false;
      data += n;
      size -= n;
    }
    return true;
  }

  bool Final(unsigned char* mac) override {
    return BCRYPT_SUCCESS(BCryptFinishHash(hash_, mac, static_cast<ULONG>(kSha1Size), 0));
  }

 private:
  Provider sha1_;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

bool RandomBytes(unsigned char* out, std::size_t size) {
  return FitsUlong(size) &&
         BCRYPT_SUCCESS(BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

bool Pbkdf2HmacSha1(const std::string& password, const unsigned char* salt, std::size_t saltSize,
                    unsigned iterations, unsigned char* out, std::size_t size) {
  if (!FitsUlong(password.size()) || !FitsUlong(saltSize) || !FitsUlong(size) || iterations == 0) return false;
  Provider sha1(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
  if (sha1.get() == nullptr) return false;
  auto* pw = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
  return BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(sha1.get(), pw, static_cast<ULONG>(password.size()),
                                              const_cast<PUCHAR>(salt), static_cast<ULONG>(saltSize), iterations,
                                              out, static_cast<ULONG>(size), 0));
}

std::unique_ptr<AesEcb> NewAesEcb(const unsigned char* key, std::size_t keySize) {
  if (keySize != 16 && keySize != 24 && keySize != 32) return nullptr;
  auto aes = std::make_unique<CngAesEcb>();
  if (!aes->Init(key, keySize)) return nullptr;
  return aes;
}

std::unique_ptr<HmacSha1> NewHmacSha1(const unsigned char* key, std::size_t keySize) {
  auto mac = std::make_unique<CngHmacSha1>();
  if (!mac->Init(key, keySize)) return nullptr;
  return mac;
}

void Wipe(void* data, std::size_t size) { SecureZeroMemory(data, size); }

}  // namespace tarvo::crypto
