// The UDF 1.02 tree (ECMA-167 structures as OSTA UDF profiles them): volume descriptor
// sequences, integrity, anchors, file set, file entries with short allocations, and
// directories of file identifiers. The partition runs from sector 257 to the last anchor.
#include <algorithm>
#include <cstdio>

#include "disc/disc_names.h"
#include "disc/image_bytes.h"
#include "disc/image_layout.h"
#include "platform/unicode_text.h"

namespace tarvo {

namespace {

constexpr std::uint32_t kMainSequence = 32, kReserveSequence = 48, kIntegrity = 64, kFirstAnchor = 256;
constexpr std::uint64_t kFirstUniqueId = 16;  // 1 to 15 are reserved

std::uint32_t Sectors(std::uint64_t bytes) { return static_cast<std::uint32_t>((bytes + kSector - 1) / kSector); }

std::uint16_t Crc(const std::string& b, std::size_t at, std::size_t length) {
  std::uint16_t crc = 0;  // CRC-CCITT, polynomial 0x1021, as ECMA-167 7.2.6 asks
  for (std::size_t i = 0; i < length; ++i) {
    crc ^= static_cast<std::uint16_t>(static_cast<unsigned char>(b[at + i]) << 8);
    for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return crc;
}

// The 16-byte descriptor tag; call after the body is complete.
void PutTag(std::string& b, std::size_t at, unsigned id, std::uint32_t location, std::size_t length) {
  Put16(b, at, id);
  Put16(b, at + 2, 2);
  Put16(b, at + 6, 1);
  Put16(b, at + 8, Crc(b, at + 16, length - 16));
  Put16(b, at + 10, static_cast<unsigned>(length - 16));
  Put32(b, at + 12, location);
  unsigned sum = 0;
  for (std::size_t i = 0; i < 16; ++i)
    if (i != 4) sum += static_cast<unsigned char>(b[at + i]);
  Put8(b, at + 4, sum);
}

// OSTA compressed Unicode: 8 bits per character when all fit, else 16 (big-endian).
std::string Cs0(const std::string& text, std::size_t maxBytes) {
  const std::u16string units = Utf16Of(text);
  const bool wide = std::any_of(units.begin(), units.end(), [](char16_t u) { return u > 0xFF; });
  std::string out(1, wide ? 16 : 8);
  for (char16_t u : units) {
    if (out.size() + (wide ? 2 : 1) > maxBytes) break;
    if (wide) out += static_cast<char>(u >> 8);
    out += static_cast<char>(u & 0xFF);
  }
  return units.empty() ? std::string() : out;
}

void PutDstring(std::string& b, std::size_t at, std::size_t size, const std::string& text) {
  const std::string value = Cs0(text, size - 1);
  PutText(b, at, value);
  Put8(b, at + size - 1, static_cast<unsigned>(value.size()));
}

void PutCharspec(std::string& b, std::size_t at) { PutText(b, at + 1, "OSTA Compressed Unicode"); }

void PutRegid(std::string& b, std::size_t at, const std::string& id, bool udfSuffix) {
  PutText(b, at + 1, id);
  if (udfSuffix) Put16(b, at + 24, 0x0102);
}

void PutImplementation(std::string& b, std::size_t at) { PutRegid(b, at, "*Tarvo Outlook Backup", false); }

void PutTimestamp(std::string& b, std::size_t at, std::int64_t seconds) {
  const CivilTime t = ToCivil(seconds);
  Put16(b, at, 0x1000);  // local time, offset 0: UTC
  Put16(b, at + 2, static_cast<unsigned>(t.year));
  const int fields[5] = {t.month, t.day, t.hour, t.minute, t.second};
  for (int i = 0; i < 5; ++i) Put8(b, at + 4 + i, static_cast<unsigned>(fields[i]));
}

void PutLongAd(std::string& b, std::size_t at, std::uint32_t length, std::uint32_t block) {
  Put32(b, at, length);
  Put32(b, at + 4, block);
}

std::size_t FidLength(std::size_t idBytes) { return (38 + idBytes + 3) & ~std::size_t{3}; }

std::string FidName(const LayoutNode& node) { return Cs0(node.name, 255); }

std::uint32_t DirBytes(const ImageLayout& layout, const LayoutNode& folder) {
  std::size_t bytes = FidLength(0);
  for (int c : folder.children) bytes += FidLength(FidName(layout.nodes[c]).size());
  return static_cast<std::uint32_t>(bytes);
}

std::size_t PutFid(std::string& b, std::size_t at, std::uint32_t dirBlock, std::size_t offset, unsigned flags,
                   std::uint32_t entry, const std::string& id) {
  const std::size_t length = FidLength(id.size());
  Put16(b, at + 16, 1);
  Put8(b, at + 18, flags);
  Put8(b, at + 19, static_cast<unsigned>(id.size()));
  PutLongAd(b, at + 20, kSector, entry);
  PutText(b, at + 38, id);
  PutTag(b, at, 257, dirBlock + static_cast<std::uint32_t>(offset / kSector), length);
  return length;
}

void PutDirectoryData(const ImageLayout& layout, const LayoutNode& folder, std::string& head) {
  const std::size_t base = std::size_t{layout.partitionStart + folder.udfDir} * kSector;
  const LayoutNode& parent = layout.nodes[folder.parent];
  std::size_t offset = PutFid(head, base, folder.udfDir, 0, 0x0A, parent.udfEntry, "");
  for (int c : folder.children) {
    const LayoutNode& child = layout.nodes[c];
    offset += PutFid(head, base + offset, folder.udfDir, offset, child.folder ? 0x02 : 0, child.udfEntry,
                     FidName(child));
  }
}

void PutFileEntry(const ImageLayout& layout, const LayoutNode& node, std::string& head, std::size_t at) {
  Put16(head, at + 16 + 4, 4);  // strategy 4
  Put16(head, at + 16 + 8, 1);
  Put8(head, at + 16 + 11, node.folder ? 4 : 5);
  Put32(head, at + 36, 0xFFFFFFFF);
  Put32(head, at + 40, 0xFFFFFFFF);
  Put32(head, at + 44, node.folder ? 0x14A5 : 0x1084);  // read (and search) for everyone
  int links = 1;
  for (int c : node.children) links += layout.nodes[c].folder ? 1 : 0;
  Put16(head, at + 48, static_cast<unsigned>(links));
  const std::uint64_t length = node.folder ? node.udfDirBytes : node.size;
  Put64(head, at + 56, length);
  Put64(head, at + 64, Sectors(length));
  for (std::size_t t : {72u, 84u, 96u}) PutTimestamp(head, at + t, node.date);
  Put32(head, at + 108, 1);
  PutImplementation(head, at + 128);
  Put64(head, at + 160, node.uniqueId);
  // Short allocations of at most kUdfMaxExtent bytes each, back to back.
  const std::uint32_t start = node.folder ? node.udfDir : node.data - layout.partitionStart;
  const std::uint64_t count = ExtentCount(length, kUdfMaxExtent);
  for (std::uint64_t k = 0; k < count; ++k) {
    const std::uint64_t piece = std::min(kUdfMaxExtent, length - k * kUdfMaxExtent);
    Put32(head, at + 176 + 8 * k, static_cast<std::uint32_t>(piece));
    Put32(head, at + 180 + 8 * k, start + static_cast<std::uint32_t>(k * (kUdfMaxExtent / kSector)));
  }
  Put32(head, at + 172, static_cast<std::uint32_t>(8 * count));
  PutTag(head, at, 261, node.udfEntry, 176 + 8 * count);
}

void PutPrimary(const ImageLayout& layout, std::string& head, std::uint32_t sector) {
  const std::size_t at = std::size_t{sector} * kSector;
  Put32(head, at + 16, 1);
  PutDstring(head, at + 24, 32, layout.label);
  Put16(head, at + 56, 1);
  Put16(head, at + 58, 1);
  Put16(head, at + 60, 2);
  Put16(head, at + 62, 2);
  Put32(head, at + 64, 1);
  Put32(head, at + 68, 1);
  char set[17];
  std::snprintf(set, sizeof set, "%016llX", static_cast<unsigned long long>(layout.now));
  PutDstring(head, at + 72, 128, std::string(set) + layout.label);
  PutCharspec(head, at + 200);
  PutCharspec(head, at + 264);
  PutTimestamp(head, at + 376, layout.now);
  PutImplementation(head, at + 388);
  PutTag(head, at, 1, sector, 512);
}

void PutImplementationUse(const ImageLayout& layout, std::string& head, std::uint32_t sector) {
  const std::size_t at = std::size_t{sector} * kSector;
  Put32(head, at + 16, 2);
  PutRegid(head, at + 20, "*UDF LV Info", true);
  PutCharspec(head, at + 52);
  PutDstring(head, at + 116, 128, layout.label);
  PutImplementation(head, at + 352);
  PutTag(head, at, 4, sector, 512);
}

void PutPartition(const ImageLayout& layout, std::string& head, std::uint32_t sector) {
  const std::size_t at = std::size_t{sector} * kSector;
  Put32(head, at + 16, 3);
  Put16(head, at + 20, 1);
  PutRegid(head, at + 24, "+NSR02", false);
  Put32(head, at + 184, 1);  // read-only
  Put32(head, at + 188, layout.partitionStart);
  Put32(head, at + 192, layout.partitionBlocks);
  PutImplementation(head, at + 196);
  PutTag(head, at, 5, sector, 512);
}

// One type 1 partition map; the file set descriptor at block 0.
void PutLogicalVolume(const ImageLayout& layout, std::string& head, std::uint32_t sector) {
  const std::size_t at = std::size_t{sector} * kSector;
  Put32(head, at + 16, 4);
  PutCharspec(head, at + 20);
  PutDstring(head, at + 84, 128, layout.label);
  Put32(head, at + 212, kSector);
  PutRegid(head, at + 216, "*OSTA UDF Compliant", true);
  PutLongAd(head, at + 248, kSector, 0);
  Put32(head, at + 264, 6);
  Put32(head, at + 268, 1);
  PutImplementation(head, at + 272);
  PutLongAd(head, at + 432, 2 * kSector, kIntegrity);
  Put8(head, at + 440, 1);
  Put8(head, at + 441, 6);
  Put16(head, at + 442, 1);
  PutTag(head, at, 6, sector, 446);
}

void PutVolumeSequence(const ImageLayout& layout, std::string& head, std::uint32_t first) {
  PutPrimary(layout, head, first);
  PutImplementationUse(layout, head, first + 1);
  PutPartition(layout, head, first + 2);
  PutLogicalVolume(layout, head, first + 3);
  // Unallocated space (nothing free) and the terminator.
  const std::size_t at = std::size_t{first + 4} * kSector;
  Put32(head, at + 16, 5);
  PutTag(head, at, 7, first + 4, 24);
  PutTag(head, at + kSector, 8, first + 5, 512);
}

void PutIntegrity(const ImageLayout& layout, std::string& head) {
  const std::size_t at = std::size_t{kIntegrity} * kSector;
  PutTimestamp(head, at + 16, layout.now);
  Put32(head, at + 28, 1);  // closed
  Put64(head, at + 40, kFirstUniqueId + layout.nodes.size());
  Put32(head, at + 72, 1);
  Put32(head, at + 76, 46);
  Put32(head, at + 84, layout.partitionBlocks);
  PutImplementation(head, at + 88);
  Put32(head, at + 120, static_cast<std::uint32_t>(layout.fileCount));
  Put32(head, at + 124, static_cast<std::uint32_t>(layout.folderCount));
  for (std::size_t rev : {128u, 130u, 132u}) Put16(head, at + rev, 0x0102);
  PutTag(head, at, 9, kIntegrity, 134);
  PutTag(head, at + kSector, 8, kIntegrity + 1, 512);
}

void PutFileSet(const ImageLayout& layout, std::string& head) {
  const std::size_t at = std::size_t{layout.partitionStart} * kSector;
  PutTimestamp(head, at + 16, layout.now);
  Put16(head, at + 28, 3);
  Put16(head, at + 30, 3);
  Put32(head, at + 32, 1);
  Put32(head, at + 36, 1);
  PutCharspec(head, at + 48);
  PutDstring(head, at + 112, 128, layout.label);
  PutCharspec(head, at + 240);
  PutDstring(head, at + 304, 32, layout.label);
  PutLongAd(head, at + 400, kSector, layout.nodes[0].udfEntry);
  PutRegid(head, at + 416, "*OSTA UDF Compliant", true);
  PutTag(head, at, 256, 0, 512);
  PutTag(head, at + kSector, 8, 1, 512);
}

}  // namespace

void PlanUdfTree(ImageLayout& layout, std::uint32_t& cursor) {
  std::uint32_t block = 2;  // after the file set descriptor and its terminator
  std::uint64_t unique = kFirstUniqueId;
  for (int f : layout.folderOrder) {
    LayoutNode& folder = layout.nodes[f];
    folder.uniqueId = f == 0 ? 0 : unique++;
    folder.udfEntry = block++;
    folder.udfDir = block;
    folder.udfDirBytes = DirBytes(layout, folder);
    block += Sectors(folder.udfDirBytes);
  }
  cursor = layout.partitionStart + block;
}

void PlanUdfFileEntries(ImageLayout& layout, std::uint32_t& cursor) {
  std::uint64_t unique = kFirstUniqueId + layout.folderOrder.size() - 1;
  for (int f : layout.fileOrder) {
    layout.nodes[f].uniqueId = unique++;
    layout.nodes[f].udfEntry = cursor++ - layout.partitionStart;
  }
}

std::string UdfFileEntry(const ImageLayout& layout, int file) {
  std::string sector(kSector, '\0');
  PutFileEntry(layout, layout.nodes[file], sector, 0);
  return sector;
}

std::string UdfAnchor(const ImageLayout& /*layout*/, std::uint32_t sector) {
  std::string b(kSector, '\0');
  PutLongAd(b, 16, 16 * kSector, kMainSequence);
  PutLongAd(b, 24, 16 * kSector, kReserveSequence);
  PutTag(b, 0, 2, sector, 512);
  return b;
}

void WriteUdfTree(const ImageLayout& layout, std::string& head) {
  PutVolumeSequence(layout, head, kMainSequence);
  PutVolumeSequence(layout, head, kReserveSequence);
  PutIntegrity(layout, head);
  head.replace(std::size_t{kFirstAnchor} * kSector, kSector, UdfAnchor(layout, kFirstAnchor));
  PutFileSet(layout, head);
  for (int f : layout.folderOrder) {
    const LayoutNode& folder = layout.nodes[f];
    PutFileEntry(layout, folder, head, std::size_t{layout.partitionStart + folder.udfEntry} * kSector);
    PutDirectoryData(layout, folder, head);
  }
}

}  // namespace tarvo
