#include "backup/zip_entry_reader.h"

#include <zlib.h>

#include <cstdint>
#include <vector>

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

// libzip's own reading: decryption, inflation and its CRC check.
bool ReadThroughLibzip(zip_t* archive, const zip_stat_t& st, const char* password, const ChunkSink* sink,
                       bool whole, std::string& error) {
  zip_file_t* file = zip_fopen_index_encrypted(archive, st.index, 0, password);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  std::vector<char> buffer(kReadChunk);
  std::uint64_t total = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
    if (n < 0) {
      zip_error_t* cause = zip_file_get_error(file);
      // 7-Zip writes AES entries as AE-2, whose stored CRC is 0; libzip 1.7 still compares
      // it. A stored entry cannot be read past that check, so a whole read with another
      // real CRC is taken as the expected mismatch.
      const bool ae2Mismatch = zip_error_code_zip(cause) == ZIP_ER_CRC && IsAes(st.encryption_method) &&
                               st.crc == 0 && total == st.size && crc != 0;
      if (!ae2Mismatch) {
        error = Damaged(st, ZipErrorText(cause));
        ok = false;
      }
      break;
    }
    if (n == 0) break;
    total += static_cast<std::uint64_t>(n);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(buffer.data()), static_cast<uInt>(n));
    if (sink != nullptr && !(*sink)(buffer.data(), static_cast<std::size_t>(n))) {
      error = "Cannot write the file of entry \"" + std::string(st.name) + "\"";
      ok = false;
      break;
    }
    if (!whole) break;
  }
  zip_fclose(file);
  if (ok && whole && total != st.size) {
    error = Damaged(st, "it is shorter than its recorded size");
    ok = false;
  }
  return ok;
}

// Deflated AES entries are decrypted by libzip and inflated here: reading the decrypted
// stream to its very end is what makes libzip check the authentication code, which it
// skips when its inflater stops at the end of the deflate data, and an AE-2 entry (CRC 0)
// is checked by that code instead of a CRC.
bool ReadAesDeflated(zip_t* archive, const zip_stat_t& st, const char* password, const ChunkSink* sink,
                     bool whole, std::string& error) {
  zip_file_t* file = zip_fopen_index_encrypted(archive, st.index, ZIP_FL_COMPRESSED, password);
  if (file == nullptr) {
    error = Damaged(st, ZipErrorText(zip_get_error(archive)));
    return false;
  }
  z_stream z{};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
    zip_fclose(file);
    error = "Out of memory";
    return false;
  }
  std::vector<char> in(kReadChunk), out(kReadChunk);
  std::uint64_t total = 0;
  uLong crc = crc32(0L, Z_NULL, 0);
  bool streamEnd = false;
  bool ok = true;
  for (;;) {
    const zip_int64_t n = zip_fread(file, in.data(), in.size());
    if (n < 0) {
      error = Damaged(st, ZipErrorText(zip_file_get_error(file)));
      ok = false;
      break;
    }
    if (n == 0) break;  // authentication code checked
    z.next_in = reinterpret_cast<Bytef*>(in.data());
    z.avail_in = static_cast<uInt>(n);
    while (z.avail_in > 0 && !streamEnd && ok) {
      z.next_out = reinterpret_cast<Bytef*>(out.data());
      z.avail_out = static_cast<uInt>(out.size());
      const int rc = inflate(&z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END) {
        error = Damaged(st, "the compressed data is corrupt");
        ok = false;
        break;
      }
      streamEnd = rc == Z_STREAM_END;
      const std::size_t produced = out.size() - z.avail_out;
      total += produced;
      crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data()), static_cast<uInt>(produced));
      if (sink != nullptr && produced > 0 && !(*sink)(out.data(), produced)) {
        error = "Cannot write the file of entry \"" + std::string(st.name) + "\"";
        ok = false;
      }
    }
    if (!ok || !whole) break;
  }
  inflateEnd(&z);
  zip_fclose(file);
  if (ok && whole) {
    if (!streamEnd || total != st.size) {
      error = Damaged(st, "it is shorter than its recorded size");
      ok = false;
    } else if (st.crc != 0 && crc != st.crc) {
      error = Damaged(st, "CRC error");
      ok = false;
    }
  }
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
  if (IsAes(st.encryption_method) && st.comp_method == ZIP_CM_DEFLATE)
    return ReadAesDeflated(archive, st, pw, sink, whole, error);
  return ReadThroughLibzip(archive, st, pw, sink, whole, error);
}

}  // namespace tarvo
