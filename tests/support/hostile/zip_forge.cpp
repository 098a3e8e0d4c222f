#include "support/hostile/zip_forge.h"

#include <zlib.h>

#include <stdexcept>

#include "backup/winzip_aes.h"

namespace tarvo::hostile {
namespace {

constexpr std::uint16_t kMethodStore = 0, kMethodDeflate = 8, kMethodAes = 99;
constexpr std::uint16_t kFlagEncrypted = 1, kFlagUtf8 = 1u << 11;
constexpr std::uint16_t kDosTime = 0x6000, kDosDate = 0x5821;  // 2024-01-01 12:00

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// The stored bytes of an entry and the honest values that go with them.
struct Packed {
  std::string data;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
};

// Raw deflate (or a plain copy) of content repeated, fed in pieces.
Packed Pack(const ForgedEntry& e) {
  Packed p;
  p.crc = static_cast<std::uint32_t>(crc32(0L, Z_NULL, 0));
  p.size = e.prefix.size() + e.content.size() * e.repeat;
  z_stream z{};
  if (e.deflate && deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  std::string buffer(1 << 16, '\0');
  auto feed = [&](const std::string& piece, int flush) {
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    z.avail_in = static_cast<uInt>(piece.size());
    int ret = Z_OK;
    do {
      z.next_out = reinterpret_cast<Bytef*>(buffer.data());
      z.avail_out = static_cast<uInt>(buffer.size());
      ret = deflate(&z, flush);
      p.data.append(buffer.data(), buffer.size() - z.avail_out);
    } while (flush == Z_FINISH ? ret == Z_OK : z.avail_out == 0);
  };
  auto add = [&](const std::string& piece) {
    p.crc = static_cast<std::uint32_t>(
        crc32(p.crc, reinterpret_cast<const Bytef*>(piece.data()), static_cast<uInt>(piece.size())));
    if (e.deflate)
      feed(piece, Z_NO_FLUSH);
    else
      p.data += piece;
  };
  add(e.prefix);
  for (std::uint64_t i = 0; i < e.repeat; ++i) add(e.content);
  if (e.deflate) {
    feed(std::string(), Z_FINISH);
    deflateEnd(&z);
  }
  return p;
}

// Salt, verifier, encrypted data, authentication code.
std::string Encrypt(const std::string& password, std::string data) {
  WinZipAes aes;
  unsigned char code[WinZipAes::kCodeSize];
  auto* bytes = reinterpret_cast<unsigned char*>(data.data());
  if (!aes.BeginNew(password) || !aes.Encrypt(bytes, data.size()) || !aes.Finish(code))
    throw std::runtime_error("WinZip AES");
  const auto& header = aes.Header();
  return std::string(header.begin(), header.end()) + data + std::string(reinterpret_cast<char*>(code), sizeof code);
}

bool PlainAscii(const std::string& name) {
  for (unsigned char c : name)
    if (c >= 0x80) return false;
  return true;
}

struct Header {
  std::uint16_t flags = 0, method = 0, needed = 20;
  std::uint32_t crc = 0, compressed = 0, size = 0;
  std::string extra;
};

Header HeaderOf(const ForgedEntry& e, const Packed& p, std::size_t stored) {
  Header h;
  const std::uint16_t method = e.deflate ? kMethodDeflate : kMethodStore;
  h.method = method;
  h.crc = e.declaredCrc.value_or(p.crc);
  h.size = e.declaredSize.value_or(static_cast<std::uint32_t>(p.size));
  h.compressed = static_cast<std::uint32_t>(stored);
  if (!PlainAscii(e.name)) h.flags |= kFlagUtf8;
  if (!e.password.empty()) {
    // AE-2: the CRC is left out, the authentication code stands for it.
    h.flags |= kFlagEncrypted;
    h.method = kMethodAes;
    h.needed = 51;
    h.crc = e.declaredCrc.value_or(0);
    Put16(h.extra, 0x9901);
    Put16(h.extra, 7);
    Put16(h.extra, 2);
    h.extra += "AE";
    h.extra += static_cast<char>(3);
    Put16(h.extra, method);
  }
  return h;
}

void PutCommon(std::string& out, const Header& h, const std::string& name) {
  Put16(out, h.flags);
  Put16(out, h.method);
  Put16(out, kDosTime);
  Put16(out, kDosDate);
  Put32(out, h.crc);
  Put32(out, h.compressed);
  Put32(out, h.size);
  Put16(out, static_cast<std::uint32_t>(name.size()));
  Put16(out, static_cast<std::uint32_t>(h.extra.size()));
}

std::uint32_t Get32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
  return v;
}

}  // namespace

std::string ForgeZip(const std::vector<ForgedEntry>& entries) {
  std::string out, central;
  for (const ForgedEntry& e : entries) {
    const Packed packed = Pack(e);
    std::string stored = e.password.empty() ? packed.data : Encrypt(e.password, packed.data);
    if (e.damageData && !stored.empty()) stored[stored.size() / 2] ^= 0x5A;
    const Header h = HeaderOf(e, packed, stored.size());
    const std::string localName = e.localName.value_or(e.name);
    const auto offset = static_cast<std::uint32_t>(out.size());
    Put32(out, 0x04034b50);
    Put16(out, h.needed);
    PutCommon(out, h, localName);
    out += localName + h.extra + stored;

    Put32(central, 0x02014b50);
    Put16(central, 20);  // made by: MS-DOS attributes, version 2.0
    Put16(central, h.needed);
    PutCommon(central, h, e.name);
    Put16(central, 0);      // comment
    Put16(central, 0);      // disk
    Put16(central, 0);      // internal attributes
    Put32(central, 0x20);   // archive bit
    Put32(central, offset);
    central += e.name + h.extra;
  }
  const auto cdOffset = static_cast<std::uint32_t>(out.size());
  out += central;
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put16(out, static_cast<std::uint32_t>(entries.size()));
  Put32(out, static_cast<std::uint32_t>(central.size()));
  Put32(out, cdOffset);
  Put16(out, 0);
  return out;
}

std::optional<CentralDirectory> FindCentralDirectory(const std::string& archive) {
  if (archive.size() < 22) return std::nullopt;
  const std::size_t end = archive.size() - 22;  // forged archives carry no comment
  if (Get32(archive, end) != 0x06054b50) return std::nullopt;
  CentralDirectory cd;
  cd.count = static_cast<std::uint16_t>(Get32(archive, end + 8) & 0xFFFF);
  cd.size = Get32(archive, end + 12);
  cd.offset = Get32(archive, end + 16);
  return cd;
}

std::string TruncateCentralDirectory(const std::string& archive) {
  const auto cd = FindCentralDirectory(archive);
  if (!cd) throw std::runtime_error("no end record");
  return archive.substr(0, cd->offset + cd->size / 2);
}

std::string ClaimEntryCount(std::string archive, std::uint16_t count) {
  if (!FindCentralDirectory(archive)) throw std::runtime_error("no end record");
  const std::size_t end = archive.size() - 22;
  for (std::size_t at : {end + 8, end + 10}) {
    archive[at] = static_cast<char>(count & 0xFF);
    archive[at + 1] = static_cast<char>(count >> 8);
  }
  return archive;
}

}  // namespace tarvo::hostile
