#pragma once
// Where everything of a disc image lies: the sectors of each tree's structures and of
// every file's data. The plan is made before writing, so the image size is exact.
#include <cstdint>
#include <string>
#include <vector>

#include "disc/disc_image.h"

namespace tarvo {

inline constexpr std::uint32_t kSector = 2048;
// Largest extent of one ISO 9660 directory record and of one UDF short allocation.
inline constexpr std::uint64_t kIsoMaxExtent = 0xFFFFF800ULL;
inline constexpr std::uint64_t kUdfMaxExtent = 0x3FFFF800ULL;

struct LayoutNode {
  bool folder = false;
  int parent = 0;  // the root is its own parent
  std::string name;
  std::string imagePath;
  std::string sourcePath;
  std::uint64_t size = 0;
  std::int64_t date = 0;
  std::vector<int> children;  // in the order of the image
  // ISO 9660 and Joliet.
  std::string isoName;
  std::u16string jolietName;
  std::vector<int> isoOrder, jolietOrder;  // children sorted as each tree requires
  std::uint32_t isoDir = 0, isoDirBytes = 0, jolietDir = 0, jolietDirBytes = 0;
  std::uint16_t isoNumber = 0, jolietNumber = 0;  // positions in the path tables, from 1
  // UDF: blocks relative to the partition.
  std::uint32_t udfEntry = 0, udfDir = 0, udfDirBytes = 0;
  std::uint64_t uniqueId = 0;
  std::uint32_t data = 0;  // first sector of the file's data (absolute)
};

struct ImageLayout {
  int volumeType = 0;
  std::string label;
  std::int64_t now = 0;
  std::vector<LayoutNode> nodes;  // [0] is the root
  std::vector<int> folderOrder;   // breadth first, the root first
  std::vector<int> fileOrder;     // the order file data is written in
  std::uint32_t isoPathTable[2] = {0, 0}, isoPathBytes = 0;  // L and M tables
  std::uint32_t jolietPathTable[2] = {0, 0}, jolietPathBytes = 0;
  std::uint32_t partitionStart = 0, partitionBlocks = 0;
  // The UDF file entries of the files, one sector each in file order, lie from
  // entriesStart to dataStart; they are made while streaming, not held.
  std::uint32_t entriesStart = 0;
  std::uint32_t dataStart = 0;  // the first sector of file data
  std::uint32_t totalSectors = 0;
  long fileCount = 0, folderCount = 0;

  bool Has(int bit) const { return (volumeType & bit) != 0; }
  std::uint64_t ImageBytes() const { return std::uint64_t{totalSectors} * kSector; }
};

// useFileDates false stamps every item with `now`.
ImageLayout PlanImage(const ImageItems& items, int volumeType, const std::string& label, bool useFileDates,
                      std::int64_t now);

// The bytes of sectors 0 to entriesStart - 1, and of the sectors after the last file's data.
std::string ComposeHead(const ImageLayout& layout);
std::string ComposeTail(const ImageLayout& layout);

// Parts written by the ISO 9660 / Joliet and UDF halves of the composer.
void PlanIsoTrees(ImageLayout& layout, std::uint32_t& cursor);
void WriteIsoTrees(const ImageLayout& layout, std::string& head);
void PlanUdfTree(ImageLayout& layout, std::uint32_t& cursor);
void PlanUdfFileEntries(ImageLayout& layout, std::uint32_t& cursor);
std::string UdfFileEntry(const ImageLayout& layout, int file);  // one sector
void WriteUdfTree(const ImageLayout& layout, std::string& head);
std::string UdfAnchor(const ImageLayout& layout, std::uint32_t sector);

// Number of records (ISO) or allocations (UDF) a file of `size` bytes needs.
std::uint64_t ExtentCount(std::uint64_t size, std::uint64_t maxExtent);

}  // namespace tarvo
