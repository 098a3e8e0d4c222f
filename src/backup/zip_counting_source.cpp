#include "backup/zip_counting_source.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

#include "backup/winzip_aes.h"
#include "backup/zip_component_impl.h"
#include "backup/zip_parallel_deflate.h"
#include "platform/system_error.h"

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

// Reads the file late (it only has to exist while the archive is written), counts what it
// reads, and has it deflated on all cores (ParallelDeflater). With a password it also
// encrypts, in order on this thread, so libzip only stores finished WinZip AES data.
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

  std::unique_ptr<ParallelDeflater> deflater;
  bool finished = false;
  std::uint64_t sizeIn = 0, sizeOut = 0;  // of the finished entry
  std::uint32_t crc = 0;
  std::vector<unsigned char> out;
  std::size_t outPos = 0;

  // The generic advice gives way to the names of the programs holding the file.
  void NameHolders(std::string& reason) const {
    const std::size_t at = reason.find(kFileInUseAdvice);
    if (at == std::string::npos) return;
    reason.replace(at, std::string(kFileInUseAdvice).size(), HeldFileAdviceFor(BareName(shownPath), nativePath));
  }

  void Fail(zip_error_t* cause) {
    zip_error_set(&error, zip_error_code_zip(cause), zip_error_code_system(cause));
    if (tally->failedFile.empty()) {
      tally->failedFile = shownPath;
      tally->failedReason = ZipErrorText(cause);
      NameHolders(tally->failedReason);
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

  // Called by the deflater on this thread, so progress is raised where it always was.
  std::int64_t ReadFile(unsigned char* data, std::size_t size) {
    const zip_int64_t n = zip_source_read(inner, data, size);
    if (n > 0) tally->Advance(static_cast<std::uint64_t>(n));
    return n;
  }

  zip_int64_t Open() {
    if (!EnsureInner()) return -1;
    if (zip_source_open(inner) < 0) return FailFromInner();
    if (!BeginEncryption()) return -1;
    try {
      deflater = std::make_unique<ParallelDeflater>(
          level, [this](unsigned char* data, std::size_t size) { return ReadFile(data, size); });
    } catch (const std::system_error&) {
      zip_error_set(&error, ZIP_ER_MEMORY, 0);
      return -1;
    }
    finished = false;
    out.clear();
    outPos = 0;
    return 0;
  }

  void Close() {
    deflater.reset();
    if (inner != nullptr) zip_source_close(inner);
  }

  bool FailCrypto() {
    zip_error_set(&error, ZIP_ER_INTERNAL, 0);
    return false;
  }

  // Takes the next deflated piece and encrypts it.
  bool NextPiece() {
    switch (deflater->Next(out)) {
      case ParallelDeflater::Result::Data:
        return !Encrypting() || aes->Encrypt(out.data(), out.size()) || FailCrypto();
      case ParallelDeflater::Result::End:
        finished = true;
        sizeIn = deflater->SizeIn();
        sizeOut = deflater->SizeOut();
        crc = deflater->Crc();
        return true;
      case ParallelDeflater::Result::ReadFailed:
        Fail(zip_source_error(inner));
        return false;
      case ParallelDeflater::Result::ZlibFailed:
        break;
    }
    zip_error_set(&error, ZIP_ER_ZLIB, 0);
    return false;
  }

  // Refills the output with the entry's next data: the encryption header first, deflated
  // (and encrypted) pieces, then the authentication code. False on a failure.
  bool Refill() {
    out.clear();
    outPos = 0;
    if (Encrypting() && !headerGiven) {
      out = aes->Header();
      headerGiven = true;
      return true;
    }
    if (!finished) return NextPiece();
    if (Encrypting() && !codeGiven) {
      out.resize(WinZipAes::kCodeSize);
      if (!aes->Finish(out.data())) return FailCrypto();
      codeGiven = true;
    }
    return true;
  }

  bool AllGiven() const { return finished && (!Encrypting() || codeGiven); }

  zip_int64_t Read(void* data, zip_uint64_t len) {
    auto* dest = static_cast<unsigned char*>(data);
    zip_uint64_t given = 0;
    while (given < len) {
      if (outPos == out.size()) {
        if (AllGiven()) break;
        if (!Refill()) return -1;
        continue;
      }
      const std::size_t n = static_cast<std::size_t>(std::min<zip_uint64_t>(len - given, out.size() - outPos));
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
      st->crc = crc;
      st->comp_size = sizeOut + (Encrypting() ? aes->Header().size() + WinZipAes::kCodeSize : 0);
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
