// Reads directory trees back from an image, trusting nothing in it: every length is
// checked against what was read.
#include "disc/image_reader.h"

#include <algorithm>

#include "disc/image_bytes.h"
#include "platform/unicode_text.h"

namespace tarvo {

namespace {

constexpr std::uint64_t kBlock = 2048;
constexpr std::uint64_t kMaxDirectory = 16ULL << 20;
constexpr int kMaxDepth = 32;

using Files = std::map<std::string, DiscFile>;

// Entries a walk may visit; a damaged tree that loops back on itself ends here.
struct Budget {
  long left = 1000000;
  bool Take() { return --left >= 0; }
};

std::optional<std::string> ReadAt(FileReader& image, std::uint64_t offset, std::uint64_t size) {
  if (size > kMaxDirectory || !image.Seek(offset)) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const auto n = image.Read(bytes.data() + got, bytes.size() - got);
    if (!n || *n == 0) return std::nullopt;
    got += *n;
  }
  return bytes;
}

std::string Utf16BeText(const std::string& bytes, std::size_t from) {
  std::u16string units;
  for (std::size_t i = from; i + 1 < bytes.size(); i += 2)
    units += static_cast<char16_t>((static_cast<unsigned char>(bytes[i]) << 8) | static_cast<unsigned char>(bytes[i + 1]));
  return EncodeUtf8(JoinUtf16(units));
}

std::string IsoName(const std::string& id, bool joliet) {
  std::string name = joliet ? Utf16BeText(id, 0) : id;
  const std::size_t version = name.rfind(";1");
  if (version != std::string::npos && version + 2 == name.size()) name.resize(version);
  if (!joliet && !name.empty() && name.back() == '.') name.pop_back();  // "NAME." has no extension
  return name;
}

bool WalkIso(FileReader& image, std::uint32_t lba, std::uint32_t length, const std::string& path, bool joliet,
             int depth, Budget& budget, Files& out) {
  if (depth > kMaxDepth) return false;
  const auto data = ReadAt(image, lba * kBlock, length);
  if (!data) return false;
  std::string continuing;  // the name whose next extent follows (multi-extent files)
  for (std::size_t pos = 0; pos < data->size();) {
    const std::size_t len = static_cast<unsigned char>((*data)[pos]);
    if (len == 0) {
      pos = (pos / kBlock + 1) * kBlock;
      continue;
    }
    if (len < 34 || pos + len > data->size() || !budget.Take()) return false;
    const std::size_t idLen = static_cast<unsigned char>((*data)[pos + 32]);
    if (33 + idLen > len) return false;
    const std::string id = data->substr(pos + 33, idLen);
    const unsigned flags = static_cast<unsigned char>((*data)[pos + 25]);
    const DiscExtent extent{Get32(*data, pos + 2) * kBlock, Get32(*data, pos + 10)};
    pos += len;
    if (idLen == 1 && (id[0] == '\0' || id[0] == '\1')) continue;
    const std::string child = path + "\\" + IsoName(id, joliet);
    if (flags & 2) {
      if (!WalkIso(image, Get32(*data, pos - len + 2), static_cast<std::uint32_t>(extent.length), child, joliet,
                   depth + 1, budget, out))
        return false;
      continue;
    }
    DiscFile& file = out[child];
    if (continuing != child) file = DiscFile{};
    file.extents.push_back(extent);
    file.size += extent.length;
    continuing = (flags & 0x80) ? child : std::string();
  }
  return true;
}

std::optional<Files> ReadIso(FileReader& image, bool joliet) {
  for (std::uint64_t sector = 16; sector < 64; ++sector) {
    const auto vd = ReadAt(image, sector * kBlock, kBlock);
    if (!vd || vd->substr(1, 5) != "CD001" || static_cast<unsigned char>((*vd)[0]) == 255) return std::nullopt;
    const bool isJoliet = (*vd)[0] == 2 && vd->substr(88, 2) == "%/";
    if ((!joliet && (*vd)[0] == 1) || (joliet && isJoliet)) {
      Files out;
      Budget budget;
      if (!WalkIso(image, Get32(*vd, 156 + 2), Get32(*vd, 156 + 10), "", joliet, 0, budget, out)) return std::nullopt;
      return out;
    }
  }
  return std::nullopt;
}

std::string Cs0Text(const std::string& bytes) {
  if (bytes.empty()) return {};
  if (bytes[0] == 16) return Utf16BeText(bytes, 1);
  std::u32string points;
  for (std::size_t i = 1; i < bytes.size(); ++i) points += static_cast<char32_t>(static_cast<unsigned char>(bytes[i]));
  return EncodeUtf8(points);
}

struct UdfEntry {
  bool folder = false;
  DiscFile file;
};

std::optional<UdfEntry> ReadEntry(FileReader& image, std::uint64_t partition, std::uint32_t block) {
  const std::uint64_t at = (partition + block) * kBlock;
  const auto fe = ReadAt(image, at, kBlock);
  if (!fe || Get16(*fe, 0) != 261) return std::nullopt;
  const std::uint32_t eaLength = Get32(*fe, 168), adLength = Get32(*fe, 172);
  if (std::uint64_t{176} + eaLength + adLength > kBlock) return std::nullopt;
  UdfEntry entry;
  entry.folder = static_cast<unsigned char>((*fe)[27]) == 4;
  entry.file.size = Get64(*fe, 56);
  const unsigned allocation = Get16(*fe, 34) & 7;
  const std::size_t ads = 176 + eaLength;
  if (allocation == 3) {
    entry.file.extents.push_back({at + ads, adLength});
  } else if (allocation == 0) {
    for (std::size_t p = ads; p + 8 <= ads + adLength; p += 8) {
      const std::uint32_t length = Get32(*fe, p) & 0x3FFFFFFF;
      if (length == 0) break;
      entry.file.extents.push_back({(partition + Get32(*fe, p + 4)) * kBlock, length});
    }
  } else {
    return std::nullopt;  // long or extended allocations: not written by us
  }
  return entry;
}

bool WalkUdf(FileReader& image, std::uint64_t partition, const UdfEntry& folder, const std::string& path, int depth,
             Budget& budget, Files& out) {
  if (depth > kMaxDepth || folder.file.size > kMaxDirectory) return false;
  std::string data;
  for (const DiscExtent& e : folder.file.extents) {
    const auto piece = ReadAt(image, e.offset, e.length);
    if (!piece || data.size() + piece->size() > kMaxDirectory) return false;
    data += *piece;
  }
  data.resize(std::min<std::size_t>(data.size(), static_cast<std::size_t>(folder.file.size)));
  for (std::size_t pos = 0; pos + 38 <= data.size();) {
    if (Get16(data, pos) != 257 || !budget.Take()) return false;
    const unsigned flags = static_cast<unsigned char>(data[pos + 18]);
    const std::size_t nameLength = static_cast<unsigned char>(data[pos + 19]);
    const std::size_t useLength = Get16(data, pos + 36);
    const std::size_t size = (38 + useLength + nameLength + 3) & ~std::size_t{3};
    if (pos + 38 + useLength + nameLength > data.size()) return false;
    const std::string name = Cs0Text(data.substr(pos + 38 + useLength, nameLength));
    const std::uint32_t block = Get32(data, pos + 24);
    pos += size;
    if (flags & 0x0C) continue;  // the parent entry, or a deleted one
    const auto entry = ReadEntry(image, partition, block);
    if (!entry) return false;
    if (entry->folder) {
      if (!WalkUdf(image, partition, *entry, path + "\\" + name, depth + 1, budget, out)) return false;
    } else {
      out[path + "\\" + name] = entry->file;
    }
  }
  return true;
}

std::optional<Files> ReadUdf(FileReader& image) {
  const auto anchor = ReadAt(image, 256 * kBlock, kBlock);
  if (!anchor || Get16(*anchor, 0) != 2) return std::nullopt;
  const std::uint64_t first = Get32(*anchor, 20), count = Get32(*anchor, 16) / kBlock;
  std::optional<std::uint64_t> partition, fileSet;
  for (std::uint64_t s = first; s < first + std::min<std::uint64_t>(count, 64); ++s) {
    const auto d = ReadAt(image, s * kBlock, kBlock);
    if (!d || Get16(*d, 0) == 8) break;
    if (Get16(*d, 0) == 5) partition = Get32(*d, 188);
    if (Get16(*d, 0) == 6) fileSet = Get32(*d, 252);
  }
  if (!partition || !fileSet) return std::nullopt;
  const auto fsd = ReadAt(image, (*partition + *fileSet) * kBlock, kBlock);
  if (!fsd || Get16(*fsd, 0) != 256) return std::nullopt;
  const auto root = ReadEntry(image, *partition, Get32(*fsd, 404));
  Files out;
  Budget budget;
  if (!root || !root->folder || !WalkUdf(image, *partition, *root, "", 0, budget, out)) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::map<std::string, DiscFile>> ReadDiscTree(FileReader& image, DiscTree tree) {
  if (tree == DiscTree::Udf) return ReadUdf(image);
  return ReadIso(image, tree == DiscTree::Joliet);
}

std::optional<std::size_t> DiscFileReader::Read(char* buf, std::size_t size) {
  while (extent_ < file_.extents.size() && within_ == file_.extents[extent_].length) {
    ++extent_;
    within_ = 0;
  }
  if (extent_ == file_.extents.size()) return 0;
  const DiscExtent& e = file_.extents[extent_];
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, e.length - within_));
  if (!image_.Seek(e.offset + within_)) return std::nullopt;
  const auto got = image_.Read(buf, want);
  if (!got || *got == 0) return std::nullopt;
  within_ += *got;
  return got;
}

}  // namespace tarvo
