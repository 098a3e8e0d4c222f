// The ISO 9660 tree and its Joliet twin: volume descriptors, path tables, directories.
// Both trees point at the same file data.
#include <algorithm>
#include <cstdio>

#include "disc/disc_names.h"
#include "disc/image_bytes.h"
#include "disc/image_layout.h"

namespace tarvo {

namespace {

std::uint32_t Sectors(std::uint64_t bytes) { return static_cast<std::uint32_t>((bytes + kSector - 1) / kSector); }

// The identifier as recorded: "NAME.EXT;1" for ISO files, UTF-16 big-endian for Joliet.
std::string RecordedId(const LayoutNode& node, bool joliet) {
  if (!joliet) return node.isoName + (node.folder ? "" : ";1");
  std::string id;
  for (char16_t u : node.jolietName) {
    id += static_cast<char>(u >> 8);
    id += static_cast<char>(u & 0xFF);
  }
  return id;
}

const std::vector<int>& Order(const LayoutNode& node, bool joliet) { return joliet ? node.jolietOrder : node.isoOrder; }

std::size_t RecordLength(std::size_t idLength) { return (33 + idLength + 1) & ~std::size_t{1}; }

// Record lengths of a folder's directory, "." and ".." first.
std::vector<std::size_t> RecordLengths(const ImageLayout& layout, const LayoutNode& folder, bool joliet) {
  std::vector<std::size_t> lengths = {34, 34};
  for (int c : Order(folder, joliet)) {
    const LayoutNode& child = layout.nodes[c];
    const std::uint64_t records = child.folder ? 1 : std::max<std::uint64_t>(1, ExtentCount(child.size, kIsoMaxExtent));
    lengths.insert(lengths.end(), records, RecordLength(RecordedId(child, joliet).size()));
  }
  return lengths;
}

// A record never spans a sector end; the offsets of each record in the directory.
std::vector<std::size_t> RecordOffsets(const std::vector<std::size_t>& lengths, std::uint32_t& bytes) {
  std::vector<std::size_t> offsets;
  std::size_t pos = 0;
  for (std::size_t len : lengths) {
    if (pos % kSector + len > kSector) pos = (pos / kSector + 1) * kSector;
    offsets.push_back(pos);
    pos += len;
  }
  bytes = Sectors(pos) * kSector;
  return offsets;
}

// Folders breadth first, each folder's subfolders in the tree's own order.
std::vector<int> TreeFolders(const ImageLayout& layout, bool joliet) {
  std::vector<int> folders = {0};
  for (std::size_t i = 0; i < folders.size(); ++i)
    for (int c : Order(layout.nodes[folders[i]], joliet))
      if (layout.nodes[c].folder) folders.push_back(c);
  return folders;
}

void NameChildren(ImageLayout& layout, LayoutNode& folder, bool joliet) {
  std::vector<std::string> isoTaken;
  std::vector<std::u16string> jolietTaken;
  for (int c : folder.children) {
    LayoutNode& child = layout.nodes[c];
    child.isoName = child.folder ? IsoFolderName(child.name, isoTaken) : IsoFileName(child.name, isoTaken);
    if (joliet) child.jolietName = JolietName(child.name, jolietTaken);
  }
  folder.isoOrder = folder.children;
  std::sort(folder.isoOrder.begin(), folder.isoOrder.end(), [&](int a, int b) {
    // Name, then extension, each as if padded with blanks.
    const std::string& x = layout.nodes[a].isoName;
    const std::string& y = layout.nodes[b].isoName;
    const std::size_t dx = std::min(x.find('.'), x.size()), dy = std::min(y.find('.'), y.size());
    return std::make_pair(x.substr(0, dx), x.substr(dx)) < std::make_pair(y.substr(0, dy), y.substr(dy));
  });
  folder.jolietOrder = folder.children;
  std::sort(folder.jolietOrder.begin(), folder.jolietOrder.end(),
            [&](int a, int b) { return layout.nodes[a].jolietName < layout.nodes[b].jolietName; });
}

void PlanTree(ImageLayout& layout, std::uint32_t& cursor, bool joliet) {
  const std::vector<int> folders = TreeFolders(layout, joliet);
  std::uint32_t pathBytes = 0;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    LayoutNode& folder = layout.nodes[folders[i]];
    (joliet ? folder.jolietNumber : folder.isoNumber) = static_cast<std::uint16_t>(i + 1);
    const std::size_t idLen = folders[i] == 0 ? 1 : RecordedId(folder, joliet).size();
    pathBytes += static_cast<std::uint32_t>(8 + idLen + (idLen & 1));
  }
  std::uint32_t* tables = joliet ? layout.jolietPathTable : layout.isoPathTable;
  (joliet ? layout.jolietPathBytes : layout.isoPathBytes) = pathBytes;
  for (int t = 0; t < 2; ++t) {
    tables[t] = cursor;
    cursor += Sectors(pathBytes);
  }
  for (int f : folders) {
    LayoutNode& folder = layout.nodes[f];
    std::uint32_t bytes = 0;
    RecordOffsets(RecordLengths(layout, folder, joliet), bytes);
    (joliet ? folder.jolietDir : folder.isoDir) = cursor;
    (joliet ? folder.jolietDirBytes : folder.isoDirBytes) = bytes;
    cursor += bytes / kSector;
  }
}

void PutRecord(std::string& b, std::size_t at, std::uint32_t lba, std::uint32_t length, std::int64_t date,
               unsigned flags, const std::string& id) {
  Put8(b, at, static_cast<unsigned>(RecordLength(id.size())));
  Put32Both(b, at + 2, lba);
  Put32Both(b, at + 10, length);
  const CivilTime t = ToCivil(date);
  const int fields[6] = {t.year - 1900, t.month, t.day, t.hour, t.minute, t.second};
  for (int i = 0; i < 6; ++i) Put8(b, at + 18 + i, static_cast<unsigned>(fields[i]));
  Put8(b, at + 25, flags);
  Put16Both(b, at + 28, 1);
  Put8(b, at + 32, static_cast<unsigned>(id.size()));
  PutText(b, at + 33, id);
}

void PutDirectory(const ImageLayout& layout, const LayoutNode& folder, bool joliet, std::string& head) {
  std::uint32_t bytes = 0;
  const std::vector<std::size_t> offsets = RecordOffsets(RecordLengths(layout, folder, joliet), bytes);
  const std::uint32_t lba = joliet ? folder.jolietDir : folder.isoDir;
  const LayoutNode& parent = layout.nodes[folder.parent];
  const std::size_t base = std::size_t{lba} * kSector;
  PutRecord(head, base + offsets[0], lba, bytes, folder.date, 2, std::string(1, '\0'));
  PutRecord(head, base + offsets[1], joliet ? parent.jolietDir : parent.isoDir,
            joliet ? parent.jolietDirBytes : parent.isoDirBytes, parent.date, 2, std::string(1, '\1'));
  std::size_t r = 2;
  for (int c : Order(folder, joliet)) {
    const LayoutNode& child = layout.nodes[c];
    const std::string id = RecordedId(child, joliet);
    if (child.folder) {
      PutRecord(head, base + offsets[r++], joliet ? child.jolietDir : child.isoDir,
                joliet ? child.jolietDirBytes : child.isoDirBytes, child.date, 2, id);
      continue;
    }
    // A file over 4 GiB takes several records of one name; all but the last say so.
    const std::uint64_t n = std::max<std::uint64_t>(1, ExtentCount(child.size, kIsoMaxExtent));
    for (std::uint64_t k = 0; k < n; ++k) {
      const std::uint64_t length = std::min(kIsoMaxExtent, child.size - k * kIsoMaxExtent);
      const std::uint32_t start = child.data + static_cast<std::uint32_t>(k * (kIsoMaxExtent / kSector));
      PutRecord(head, base + offsets[r++], child.size == 0 ? 0 : start, static_cast<std::uint32_t>(length),
                child.date, k + 1 < n ? 0x80 : 0, id);
    }
  }
}

void PutPathTables(const ImageLayout& layout, bool joliet, std::string& head) {
  const std::uint32_t* tables = joliet ? layout.jolietPathTable : layout.isoPathTable;
  for (int t = 0; t < 2; ++t) {
    std::size_t at = std::size_t{tables[t]} * kSector;
    for (int f : TreeFolders(layout, joliet)) {
      const LayoutNode& folder = layout.nodes[f];
      const std::string id = f == 0 ? std::string(1, '\0') : RecordedId(folder, joliet);
      const LayoutNode& parent = layout.nodes[folder.parent];
      const std::uint32_t lba = joliet ? folder.jolietDir : folder.isoDir;
      const unsigned parentNumber = joliet ? parent.jolietNumber : parent.isoNumber;
      Put8(head, at, static_cast<unsigned>(id.size()));
      t == 0 ? Put32(head, at + 2, lba) : Put32Be(head, at + 2, lba);
      t == 0 ? Put16(head, at + 6, parentNumber) : Put16Be(head, at + 6, parentNumber);
      PutText(head, at + 8, id);
      at += 8 + id.size() + (id.size() & 1);
    }
  }
}

std::string DateText(std::int64_t seconds) {
  const CivilTime t = ToCivil(seconds);
  char text[18];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d00", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return std::string(text, 16) + std::string(1, '\0');
}

// Fills a text field: ISO blanks, or UTF-16 big-endian blanks for Joliet.
void PutField(std::string& b, std::size_t at, std::size_t size, const std::string& value, bool joliet) {
  for (std::size_t i = 0; i < size; ++i) b[at + i] = joliet && i % 2 == 0 && i + 1 < size ? '\0' : ' ';
  PutText(b, at, value.substr(0, size));
}

void PutVolumeDescriptor(const ImageLayout& layout, bool joliet, std::string& head) {
  const std::size_t at = std::size_t{joliet ? 17u : 16u} * kSector;
  Put8(head, at, joliet ? 2 : 1);
  PutText(head, at + 1, "CD001");
  Put8(head, at + 6, 1);
  std::string volume = IsoVolumeName(layout.label);
  if (joliet) {
    LayoutNode label;
    label.jolietName = Utf16Of(layout.label).substr(0, 16);
    volume = RecordedId(label, true);
  }
  PutField(head, at + 8, 32, "", joliet);
  PutField(head, at + 40, 32, volume, joliet);
  Put32Both(head, at + 80, layout.totalSectors);
  if (joliet) PutText(head, at + 88, "%/E");  // UCS-2 level 3
  Put16Both(head, at + 120, 1);
  Put16Both(head, at + 124, 1);
  Put16Both(head, at + 128, kSector);
  Put32Both(head, at + 132, joliet ? layout.jolietPathBytes : layout.isoPathBytes);
  const std::uint32_t* tables = joliet ? layout.jolietPathTable : layout.isoPathTable;
  Put32(head, at + 140, tables[0]);
  Put32Be(head, at + 148, tables[1]);
  const LayoutNode& root = layout.nodes[0];
  PutRecord(head, at + 156, joliet ? root.jolietDir : root.isoDir, joliet ? root.jolietDirBytes : root.isoDirBytes,
            root.date, 2, std::string(1, '\0'));
  for (std::size_t field : {190u, 318u, 446u, 574u}) PutField(head, at + field, 128, "", joliet);
  for (std::size_t field : {702u, 739u, 776u}) PutField(head, at + field, 37, "", joliet);
  PutText(head, at + 813, DateText(layout.now));
  PutText(head, at + 830, DateText(layout.now));
  PutText(head, at + 847, std::string(16, '0') + std::string(1, '\0'));
  PutText(head, at + 864, std::string(16, '0') + std::string(1, '\0'));
  Put8(head, at + 881, 1);
}

}  // namespace

void PlanIsoTrees(ImageLayout& layout, std::uint32_t& cursor) {
  const bool joliet = layout.Has(kVolumeJoliet);
  for (int f : layout.folderOrder) NameChildren(layout, layout.nodes[f], joliet);
  PlanTree(layout, cursor, false);
  if (joliet) PlanTree(layout, cursor, true);
}

void WriteIsoTrees(const ImageLayout& layout, std::string& head) {
  const bool joliet = layout.Has(kVolumeJoliet);
  for (bool j : {false, true}) {
    if (j && !joliet) continue;
    PutVolumeDescriptor(layout, j, head);
    PutPathTables(layout, j, head);
    for (int f : TreeFolders(layout, j)) PutDirectory(layout, layout.nodes[f], j, head);
  }
  const std::size_t term = std::size_t{joliet ? 18u : 17u} * kSector;
  Put8(head, term, 255);
  PutText(head, term + 1, "CD001");
  Put8(head, term + 6, 1);
}

}  // namespace tarvo
