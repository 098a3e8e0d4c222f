#include "backup/zip_entry_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "backup/winzip_aes.h"
#include "backup/zip_component_impl.h"

namespace tarvo {

namespace {

constexpr std::size_t kReadChunk = 256 * 1024;

bool IsAes(zip_uint16_t method) {
  return method == ZIP_EM_AES_128 || method == ZIP_EM_AES_192 || method == ZIP_EM_AES_256;
}

std::string Damaged(const zip_stat_t& st, const std::string& why) {
  return "Entry \"" + std::string(st.name) + "\" is damaged or the password is wrong: " + why;
}

std::size_t AesKeySize(zip_uint16_t method) {
  switch (method) {
    case ZIP_EM_AES_128: return 16;
    case ZIP_EM_AES_192: return 24;
    default: return 32;
  }
}

// Takes an entry's plain data to the sink, inflating it first when asked, and counts its
// size and CRC.
class PlainData {
 public:
  PlainData(const zip_stat_t& st, const ChunkSink* sink, bool inflate) : st_(st), sink_(sink), deflated_(inflate) {}
  ~PlainData() {
    if (zOpen_) inflateEnd(&z_);
  }
  PlainData(const PlainData&) = delete;
  PlainData& operator=(const PlainData&) = delete;

  bool Start(std::string& error) {
    if (!deflated_) return true;
    zOpen_ = inflateInit2(&z_, -MAX_WBITS) == Z_OK;
    if (!zOpen_) error = "Out of memory";
    return zOpen_;
  }

  bool Take(unsigned char* data, std::size_t size, std::string& error) {
    if (!deflated_) return Give(data, size, error);
    z_.next_in = data;
    z_.avail_in = static_cast<uInt>(size);
    while (z_.avail_in > 0 && !streamEnd_) {
      z_.next_out = out_.data();
      z_.avail_out = static_cast<uInt>(out_.size());
      const int rc = inflate(&z_, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) {
        error = Damaged(st_, "the compressed data is corrupt");
        return false;
      }
      streamEnd_ = rc == Z_STREAM_END;
      if (!Give(out_.data(), out_.size() - z_.avail_out, error)) return false;
    }
    return true;
  }

  std::uint64_t Total() const { return total_; }
  uLong Crc() const { return crc_; }

  // After the whole entry: the data ended where it should and matches its CRC (an AE-2
  // entry may carry CRC 0, and then only the authentication code speaks for it).
  bool Check(std::string& error) const {
    if ((deflated_ && !streamEnd_) || total_ != st_.size) {
      error = Damaged(st_, "it is shorter than its recorded size");
      return false;
    }
    if (st_.crc != 0 && crc_ != st_.crc) {
      error = Damaged(st_, "CRC error");
      return false;
    }
    return true;
  }

 private:
  bool Give(const unsigned char* data, std::size_t size, std::string& error) {
    if (size == 0) return true;
    total_ += size;
    crc_ = crc32(crc_, data, static_cast<uInt>(size));
    if (sink_ != nullptr && !(*sink_)(reinterpret_cast<const char*>(data), size)) {
      error = "Cannot write the file of entry \"" + std::string(st_.name) + "\"";
      return false;
    }
    return true;
  }

  const zip_stat_t& st_;
  const ChunkSink* sink_;
  bool deflated_;
  z_stream z_{};
  bool zOpen_ = false;
  bool streamEnd_ = false;
  std::uint64_t total_ = 0;
  uLong crc_ = crc32(0L, Z_NULL, 0);
  std::vector<unsigned char> out_ = std::vector<unsigned char>(kReadChunk);
};

// libzip's own reading: decryption, inflation and its CRC check.
bool ReadThroughLibzip(zip_t* archive, const zip_stat_t& st, const char* password, const ChunkSink* sink,
                       bool whole, std::string& error) {
  zip_file_t* file = zip_fopen_index_encrypted(archive, st.index, 0, password);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  PlainData plain(st, sink, false);
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
    if (!plain.Take(buffer.data(), static_cast<std::size_t>(n), error)) {
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

// WinZip AES entries (stored or deflated) are read raw and decrypted here in large pieces,
// since libzip decrypts block by block and leaves the authentication code unchecked when
// its inflater stops early. The code is checked after the last byte, before anything is
// reported as good.
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
  const bool ok = [&] {
    std::vector<unsigned char> buffer(kReadChunk);
    if (!ReadRaw(file, st, buffer.data(), headerSize, error)) return false;
    WinZipAes aes;
    if (!aes.Begin(password, buffer.data(), keySize)) {
      error = "Cannot derive the key of entry \"" + std::string(st.name) + "\"";
      return false;
    }
    if (!aes.VerifierMatches(buffer.data() + headerSize - WinZipAes::kVerifierSize)) {
      error = Damaged(st, ZipErrorText(ZIP_ER_WRONGPASSWD));
      return false;
    }
    PlainData plain(st, sink, st.comp_method == ZIP_CM_DEFLATE);
    if (!plain.Start(error)) return false;
    std::uint64_t left = st.comp_size - headerSize - WinZipAes::kCodeSize;
    while (left > 0) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
      if (!ReadRaw(file, st, buffer.data(), n, error)) return false;
      if (!aes.Decrypt(buffer.data(), n)) {
        error = Damaged(st, "it could not be decrypted");
        return false;
      }
      if (!plain.Take(buffer.data(), n, error)) return false;
      left -= n;
      if (!whole) return true;
    }
    unsigned char stored[WinZipAes::kCodeSize], computed[WinZipAes::kCodeSize];
    if (!ReadRaw(file, st, stored, sizeof stored, error)) return false;
    if (!aes.Finish(computed) || !SameCode(stored, computed)) {
      error = Damaged(st, "the authentication code does not match");
      return false;
    }
    return plain.Check(error);
  }();
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
  if (IsAes(st.encryption_method) && (st.comp_method == ZIP_CM_DEFLATE || st.comp_method == ZIP_CM_STORE))
    return ReadAesEntry(archive, st, password, sink, whole, error);
  return ReadThroughLibzip(archive, st, pw, sink, whole, error);
}

}  // namespace tarvo
