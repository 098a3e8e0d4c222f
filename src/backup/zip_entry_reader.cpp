#include "backup/zip_entry_reader.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "backup/winzip_aes.h"
#include "backup/zip_component_impl.h"
#include "backup/zip_read_pipeline.h"

namespace tarvo {

namespace {

constexpr std::size_t kReadChunk = 256 * 1024;

bool IsAes(zip_uint16_t method) {
  return method == ZIP_EM_AES_128 || method == ZIP_EM_AES_192 || method == ZIP_EM_AES_256;
}

std::size_t AesKeySize(zip_uint16_t method) {
  switch (method) {
    case ZIP_EM_AES_128: return 16;
    case ZIP_EM_AES_192: return 24;
    default: return 32;
  }
}

// libzip's own reading: decryption, inflation and its CRC check.
bool ReadThroughLibzip(zip_t* archive, const zip_stat_t& st, const char* password, const ChunkSink* sink,
                       bool whole, std::string& error) {
  zip_file_t* file = zip_fopen_index_encrypted(archive, st.index, 0, password);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  EntryCheck plain(st, sink, IsAes(st.encryption_method));
  std::vector<unsigned char> buffer(kReadChunk);
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
    if (n < 0) {
      zip_error_t* cause = zip_file_get_error(file);
      // AES entries of other methods (bzip2, LZMA) come here. 7-Zip writes them as AE-2,
      // whose stored CRC is 0, and libzip 1.7 still compares it: a whole read with another
      // real CRC is taken as the expected mismatch.
      const bool ae2Mismatch = zip_error_code_zip(cause) == ZIP_ER_CRC && IsAes(st.encryption_method) &&
                               st.crc == 0 && plain.Total() == st.size && plain.Crc() != 0;
      if (!ae2Mismatch) {
        error = Damaged(st, ZipErrorText(cause));
        ok = false;
      }
      break;
    }
    if (n == 0) break;
    if (!plain.Give(buffer.data(), static_cast<std::size_t>(n), error)) {
      ok = false;
      break;
    }
    if (!whole) break;
  }
  zip_fclose(file);
  return ok && (!whole || plain.Check(error));
}

// Reads exactly size raw bytes; never past them, so libzip sees no end of data.
bool ReadRaw(zip_file_t* file, const zip_stat_t& st, unsigned char* data, std::size_t size, std::string& error) {
  std::size_t got = 0;
  while (got < size) {
    const zip_int64_t n = zip_fread(file, data + got, size - got);
    if (n <= 0) {
      error = Damaged(st, n < 0 ? ZipErrorText(zip_file_get_error(file)) : "it is shorter than its recorded size");
      return false;
    }
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// Entries that are not encrypted, stored or deflated, are read raw and inflated here, on
// another thread than the reading (ReadPipelined).
bool ReadPlainEntry(zip_t* archive, const zip_stat_t& st, const ChunkSink* sink, bool whole, std::string& error) {
  zip_file_t* file = zip_fopen_index(archive, st.index, ZIP_FL_COMPRESSED);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  // A small entry gets a buffer of its own size: thousands of small entries would
  // otherwise each allocate and clear a whole chunk.
  const std::size_t chunk = static_cast<std::size_t>(std::clamp<zip_uint64_t>(st.comp_size, 1, kReadChunk));
  const RawSource source = [&](std::vector<unsigned char>& block, std::string& why) {
    block.resize(chunk);
    const zip_int64_t n = zip_fread(file, block.data(), block.size());
    if (n < 0) {
      why = Damaged(st, ZipErrorText(zip_file_get_error(file)));
      return false;
    }
    block.resize(static_cast<std::size_t>(n));
    return true;
  };
  const PipelineSettings settings{st.comp_method == ZIP_CM_DEFLATE, false, whole};
  const bool ok = ReadPipelined(st, settings, source, sink, error);
  zip_fclose(file);
  return ok;
}

// The raw data of a WinZip AES entry, decrypted in large pieces; its authentication code is
// checked after the last byte, before the data counts as good.
class AesRawSource {
 public:
  AesRawSource(zip_file_t* file, const zip_stat_t& st) : file_(file), st_(st) {}

  // Reads the salt and verifier and derives the keys: false on a wrong password.
  bool Begin(const std::string& password, std::size_t keySize, std::string& error) {
    const std::size_t headerSize = WinZipAes::SaltSize(keySize) + WinZipAes::kVerifierSize;
    unsigned char header[WinZipAes::SaltSize(32) + WinZipAes::kVerifierSize];
    if (!ReadRaw(file_, st_, header, headerSize, error)) return false;
    if (!aes_.Begin(password, header, keySize)) {
      error = "Cannot derive the key of entry \"" + std::string(st_.name) + "\"";
      return false;
    }
    if (!aes_.VerifierMatches(header + headerSize - WinZipAes::kVerifierSize)) {
      error = Damaged(st_, ZipErrorText(ZIP_ER_WRONGPASSWD));
      return false;
    }
    left_ = st_.comp_size - headerSize - WinZipAes::kCodeSize;
    return true;
  }

  bool operator()(std::vector<unsigned char>& block, std::string& error) {
    if (left_ == 0) {
      block.clear();
      return CodeMatches(error);
    }
    block.resize(static_cast<std::size_t>(std::min<std::uint64_t>(left_, kReadChunk)));
    if (!ReadRaw(file_, st_, block.data(), block.size(), error)) return false;
    if (!aes_.Decrypt(block.data(), block.size())) {
      error = Damaged(st_, "it could not be decrypted");
      return false;
    }
    left_ -= block.size();
    return true;
  }

 private:
  bool CodeMatches(std::string& error) {
    unsigned char stored[WinZipAes::kCodeSize], computed[WinZipAes::kCodeSize];
    if (!ReadRaw(file_, st_, stored, sizeof stored, error)) return false;
    if (!aes_.Finish(computed) || !SameCode(stored, computed)) {
      error = Damaged(st_, "the authentication code does not match");
      return false;
    }
    return true;
  }

  zip_file_t* file_;
  const zip_stat_t& st_;
  WinZipAes aes_;
  std::uint64_t left_ = 0;
};

// WinZip AES entries (stored or deflated) are read raw and decrypted here, since libzip
// decrypts block by block and leaves the authentication code unchecked when its inflater
// stops early.
bool ReadAesEntry(zip_t* archive, const zip_stat_t& st, const std::string& password, const ChunkSink* sink,
                  bool whole, std::string& error) {
  const std::size_t keySize = AesKeySize(st.encryption_method);
  const std::size_t headerSize = WinZipAes::SaltSize(keySize) + WinZipAes::kVerifierSize;
  if ((st.valid & ZIP_STAT_COMP_SIZE) == 0 || st.comp_size < headerSize + WinZipAes::kCodeSize) {
    error = Damaged(st, "its encrypted data is too short");
    return false;
  }
  zip_file_t* file = zip_fopen_index(archive, st.index, ZIP_FL_ENCRYPTED);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  AesRawSource aes(file, st);
  bool ok = aes.Begin(password, keySize, error);
  if (ok) {
    const PipelineSettings settings{st.comp_method == ZIP_CM_DEFLATE, true, whole};
    const RawSource source = [&aes](std::vector<unsigned char>& block, std::string& why) { return aes(block, why); };
    ok = ReadPipelined(st, settings, source, sink, error);
  }
  zip_fclose(file);
  return ok;
}

}  // namespace

bool ReadEntryData(zip_t* archive, zip_uint64_t index, const std::string& password, const ChunkSink* sink,
                   bool whole, std::string& error) {
  zip_stat_t st;
  if (zip_stat_index(archive, index, 0, &st) < 0 || st.name == nullptr) {
    error = "No such entry in the archive";
    return false;
  }
  const bool encrypted = st.encryption_method != ZIP_EM_NONE;
  const char* pw = encrypted ? password.c_str() : nullptr;
  const bool ours = st.comp_method == ZIP_CM_DEFLATE || st.comp_method == ZIP_CM_STORE;
  if (ours && IsAes(st.encryption_method)) return ReadAesEntry(archive, st, password, sink, whole, error);
  if (ours && !encrypted) return ReadPlainEntry(archive, st, sink, whole, error);
  return ReadThroughLibzip(archive, st, pw, sink, whole, error);
}

}  // namespace tarvo
