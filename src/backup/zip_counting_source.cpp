#include "backup/zip_counting_source.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "backup/winzip_aes.h"
#include "backup/zip_component_impl.h"

namespace tarvo {

void WriteTally::Advance(std::uint64_t bytes) {
  done += bytes;
  if (total == 0 || events == nullptr) return;
  const std::uint64_t capped = done < total ? done : total;
  const int percent = static_cast<int>(capped * 100 / total);
  if (percent != lastPercent) {
    lastPercent = percent;
    events->WriteProgress(percent);
  }
}

void WriteTally::Finish() {
  if (events != nullptr && lastPercent != 100) {
    lastPercent = 100;
    events->WriteProgress(100);
  }
}

namespace {

constexpr std::size_t kInChunk = 64 * 1024;
constexpr std::size_t kOutChunk = 256 * 1024;

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

// Reads the file late (it only has to exist while the archive is written), counts what it
// reads, and deflates it: chunks that look incompressible are stored as deflate blocks
// instead of being searched for matches, which is where the time of a backup goes.
// With a password it also encrypts, so libzip only stores finished WinZip AES data.
struct DeflatingSource {
  std::string nativePath;
  std::string shownPath;
  WriteTally* tally = nullptr;
  int level = 6;
  std::string password;  // empty: not encrypted
  std::unique_ptr<WinZipAes> aes;
  bool headerGiven = false;
  bool codeGiven = false;
  zip_source_t* inner = nullptr;
  zip_error_t error;

  z_stream z{};
  bool zOpen = false;
  int currentLevel = -1;
  bool inputEnd = false;
  bool finished = false;
  std::uint64_t sizeIn = 0;
  uLong crc = 0;
  std::vector<unsigned char> in, out;
  std::size_t outPos = 0, outLen = 0;

  void Fail(zip_error_t* cause) {
    zip_error_set(&error, zip_error_code_zip(cause), zip_error_code_system(cause));
    if (tally->failedFile.empty()) {
      tally->failedFile = shownPath;
      tally->failedReason = ZipErrorText(cause);
    }
  }

  bool EnsureInner() {
    if (inner != nullptr) return true;
    zip_error_t cause;
    zip_error_init(&cause);
    inner = zip_source_file_create(nativePath.c_str(), 0, 0, &cause);
    if (inner == nullptr) Fail(&cause);
    zip_error_fini(&cause);
    return inner != nullptr;
  }

  zip_int64_t FailFromInner() {
    Fail(zip_source_error(inner));
    return -1;
  }

  zip_int64_t FailZlib() {
    zip_error_set(&error, ZIP_ER_ZLIB, 0);
    return -1;
  }

  bool Encrypting() const { return !password.empty(); }

  // Starts the entry's encryption with a fresh salt.
  bool BeginEncryption() {
    headerGiven = codeGiven = false;
    if (!Encrypting()) return true;
    aes = std::make_unique<WinZipAes>();
    if (aes->BeginNew(password)) return true;
    zip_error_set(&error, ZIP_ER_INTERNAL, 0);
    return false;
  }

  zip_int64_t Open() {
    if (!EnsureInner()) return -1;
    if (zip_source_open(inner) < 0) return FailFromInner();
    z = z_stream{};
    if (deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return FailZlib();
    zOpen = true;
    if (!BeginEncryption()) return -1;
    currentLevel = level;
    inputEnd = finished = false;
    sizeIn = 0;
    crc = crc32(0L, Z_NULL, 0);
    in.resize(kInChunk);
    out.resize(kOutChunk);
    outPos = outLen = 0;
    return 0;
  }

  void Close() {
    if (zOpen) deflateEnd(&z);
    zOpen = false;
    if (inner != nullptr) zip_source_close(inner);
  }

  // Takes the next chunk of the file into the deflater.
  bool TakeInput() {
    const zip_int64_t n = zip_source_read(inner, in.data(), in.size());
    if (n < 0) return false;
    if (n == 0) {
      inputEnd = true;
      return true;
    }
    const auto size = static_cast<std::size_t>(n);
    sizeIn += size;
    crc = crc32(crc, in.data(), static_cast<uInt>(size));
    tally->Advance(size);
    const int wanted = Entropy(in.data(), size) > 7.9 ? 0 : level;
    // deflateParams flushes into the empty output buffer; should it not fit, the level
    // simply stays.
    if (wanted != currentLevel && deflateParams(&z, wanted, Z_DEFAULT_STRATEGY) == Z_OK) currentLevel = wanted;
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(size);
    return true;
  }

  // Refills the output buffer with the entry's next data: the encryption header first,
  // deflated (and encrypted) data, then the authentication code. False on a failure.
  bool Refill() {
    outPos = outLen = 0;
    if (Encrypting() && !headerGiven) {
      const auto& header = aes->Header();
      std::memcpy(out.data(), header.data(), header.size());
      outLen = header.size();
      headerGiven = true;
    }
    if (!finished && !Deflate()) return false;
    if (Encrypting() && finished && !codeGiven && out.size() - outLen >= WinZipAes::kCodeSize) {
      if (!aes->Finish(out.data() + outLen)) return FailCrypto();
      outLen += WinZipAes::kCodeSize;
      codeGiven = true;
    }
    return true;
  }

  bool FailCrypto() {
    zip_error_set(&error, ZIP_ER_INTERNAL, 0);
    return false;
  }

  // Deflates into the free end of the output buffer and encrypts what it adds.
  bool Deflate() {
    unsigned char* start = out.data() + outLen;
    const std::size_t room = out.size() - outLen;
    z.next_out = start;
    z.avail_out = static_cast<uInt>(room);
    while (z.avail_out > 0 && !finished) {
      if (z.avail_in == 0 && !inputEnd) {
        if (!TakeInput()) {
          Fail(zip_source_error(inner));
          return false;
        }
        continue;
      }
      const int rc = deflate(&z, inputEnd ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_END) finished = true;
      else if (rc != Z_OK && rc != Z_BUF_ERROR) {
        zip_error_set(&error, ZIP_ER_ZLIB, 0);
        return false;
      }
    }
    const std::size_t produced = room - z.avail_out;
    if (Encrypting() && !aes->Encrypt(start, produced)) return FailCrypto();
    outLen += produced;
    return true;
  }

  bool AllGiven() const { return finished && (!Encrypting() || codeGiven); }

  zip_int64_t Read(void* data, zip_uint64_t len) {
    auto* dest = static_cast<unsigned char*>(data);
    zip_uint64_t given = 0;
    while (given < len) {
      if (outPos == outLen) {
        if (AllGiven()) break;
        if (!Refill()) return -1;
        if (outLen == 0) continue;
      }
      const std::size_t n = static_cast<std::size_t>(std::min<zip_uint64_t>(len - given, outLen - outPos));
      std::memcpy(dest + given, out.data() + outPos, n);
      outPos += n;
      given += n;
    }
    return static_cast<zip_int64_t>(given);
  }

  zip_int64_t Stat(void* data, zip_uint64_t len) {
    if (!EnsureInner()) return -1;
    auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &error);
    if (st == nullptr) return -1;
    if (zip_source_stat(inner, st) < 0) return FailFromInner();
    // Already deflated and, with a password, encrypted: libzip stores what this source gives.
    st->valid &= ~(ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_NAME);
    st->comp_method = ZIP_CM_DEFLATE;
    st->encryption_method = Encrypting() ? ZIP_EM_AES_256 : ZIP_EM_NONE;
    st->valid |= ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    if (finished) {
      st->size = sizeIn;
      st->crc = static_cast<zip_uint32_t>(crc);
      st->comp_size = z.total_out + (Encrypting() ? aes->Header().size() + WinZipAes::kCodeSize : 0);
      st->valid |= ZIP_STAT_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_SIZE;
    }
    return sizeof(zip_stat_t);
  }
};

zip_int64_t DeflatingCallback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
  auto* source = static_cast<DeflatingSource*>(userdata);
  switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
      return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                            ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    case ZIP_SOURCE_STAT:
      return source->Stat(data, len);
    case ZIP_SOURCE_OPEN:
      return source->Open();
    case ZIP_SOURCE_READ:
      return source->Read(data, len);
    case ZIP_SOURCE_CLOSE:
      source->Close();
      return 0;
    case ZIP_SOURCE_ERROR:
      return zip_error_to_data(&source->error, data, len);
    case ZIP_SOURCE_FREE:
      source->Close();
      if (source->inner != nullptr) zip_source_free(source->inner);
      zip_error_fini(&source->error);
      delete source;
      return 0;
    default:
      zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
      return -1;
  }
}

}  // namespace

zip_source_t* NewCountingFileSource(zip_t* archive, const std::string& nativePath, const std::string& shownPath,
                                    int level, const std::string& password, WriteTally& tally) {
  auto* source = new DeflatingSource;
  source->password = password;
  source->nativePath = nativePath;
  source->shownPath = shownPath;
  source->tally = &tally;
  source->level = level;
  zip_error_init(&source->error);
  zip_source_t* result = zip_source_function(archive, DeflatingCallback, source);
  if (result == nullptr) {
    zip_error_fini(&source->error);
    delete source;
  }
  return result;
}

}  // namespace tarvo
