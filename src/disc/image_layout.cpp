// The plan of a disc image: one pass over the image's items gives every sector.
#include "disc/image_layout.h"

#include <map>

#include "disc/image_bytes.h"

namespace tarvo {

CivilTime ToCivil(std::int64_t seconds) {
  // Days to civil date, after Howard Hinnant's public-domain algorithm.
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
          static_cast<int>(rest % 60)};
}

std::uint64_t ExtentCount(std::uint64_t size, std::uint64_t maxExtent) {
  return size == 0 ? 0 : (size + maxExtent - 1) / maxExtent;
}

namespace {

constexpr std::uint64_t kAlignFrom = 1 << 20;
constexpr std::uint32_t kAlignSectors = 32;

std::vector<LayoutNode> NodesOf(const ImageItems& items, bool useFileDates, std::int64_t now) {
  std::vector<LayoutNode> nodes;
  std::map<std::string, int, PathLessNoCase> index;
  // A parent's path is a prefix of its children's, so it always comes first.
  for (const auto& [path, item] : items) {
    LayoutNode node;
    node.folder = item.IsFolder;
    node.name = item.Name;
    node.imagePath = item.ImagePath;
    node.sourcePath = item.SourcePath;
    node.size = item.IsFolder ? 0 : static_cast<std::uint64_t>(item.Size);
    node.date = useFileDates && item.Date != 0 ? item.Date : now;
    if (path != "\\") {
      node.parent = index.at(item.Parent);
      nodes[node.parent].children.push_back(static_cast<int>(nodes.size()));
    }
    index[path] = static_cast<int>(nodes.size());
    nodes.push_back(std::move(node));
  }
  return nodes;
}

void OrderNodes(ImageLayout& layout) {
  layout.folderOrder = {0};
  for (std::size_t i = 0; i < layout.folderOrder.size(); ++i)
    for (int child : layout.nodes[layout.folderOrder[i]].children)
      if (layout.nodes[child].folder) layout.folderOrder.push_back(child);
  for (std::size_t i = 0; i < layout.nodes.size(); ++i)
    if (!layout.nodes[i].folder) layout.fileOrder.push_back(static_cast<int>(i));
  layout.fileCount = static_cast<long>(layout.fileOrder.size());
  layout.folderCount = static_cast<long>(layout.folderOrder.size());
}

}  // namespace

ImageLayout PlanImage(const ImageItems& items, int volumeType, const std::string& label, bool useFileDates,
                      std::int64_t now) {
  ImageLayout layout;
  layout.volumeType = volumeType;
  layout.label = label;
  layout.now = now;
  layout.nodes = NodesOf(items, useFileDates, now);
  OrderNodes(layout);

  // Volume descriptors from sector 16: PVD, SVD, terminator, then BEA01 NSR02 TEA01.
  std::uint32_t cursor = 16 + (layout.Has(kVolumeIso9660) ? 2 : 0) + (layout.Has(kVolumeJoliet) ? 1 : 0) +
                         (layout.Has(kVolumeUdf) ? 3 : 0);
  if (layout.Has(kVolumeUdf)) {
    cursor = 257;  // after the anchor at 256; the partition runs to the last anchor
    layout.partitionStart = cursor;
    PlanUdfTree(layout, cursor);
  }
  if (layout.Has(kVolumeIso9660)) PlanIsoTrees(layout, cursor);
  layout.entriesStart = cursor;
  if (layout.Has(kVolumeUdf)) PlanUdfFileEntries(layout, cursor);
  layout.dataStart = cursor;
  for (int f : layout.fileOrder) {
    LayoutNode& file = layout.nodes[f];
    // Large files start on a 64 KiB boundary: whole DVD ECC blocks and BD clusters, and
    // whole pages for a system copying them file to file.
    if (file.size >= kAlignFrom) cursor = (cursor + kAlignSectors - 1) / kAlignSectors * kAlignSectors;
    file.data = cursor;
    cursor += static_cast<std::uint32_t>((file.size + kSector - 1) / kSector);
  }
  if (layout.Has(kVolumeUdf)) {
    layout.partitionBlocks = cursor - layout.partitionStart;
    ++cursor;
  }
  layout.totalSectors = cursor;
  return layout;
}

std::string ComposeHead(const ImageLayout& layout) {
  std::string head(std::size_t{layout.entriesStart} * kSector, '\0');
  if (layout.Has(kVolumeIso9660)) WriteIsoTrees(layout, head);
  if (layout.Has(kVolumeUdf)) {
    // The volume recognition sequence follows the ISO 9660 descriptors.
    std::size_t at = std::size_t{16 + (layout.Has(kVolumeIso9660) ? 2u : 0u) + (layout.Has(kVolumeJoliet) ? 1u : 0u)} *
                     kSector;
    for (const char* id : {"BEA01", "NSR02", "TEA01"}) {
      Put8(head, at, 0);
      PutText(head, at + 1, id);
      Put8(head, at + 6, 1);
      at += kSector;
    }
    WriteUdfTree(layout, head);
  }
  return head;
}

std::string ComposeTail(const ImageLayout& layout) {
  return layout.Has(kVolumeUdf) ? UdfAnchor(layout, layout.totalSectors - 1) : std::string();
}

}  // namespace tarvo
