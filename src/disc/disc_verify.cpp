#include "disc/disc_verify.h"

#include <vector>

#include "disc/image_reader.h"
#include "platform/unicode_text.h"

namespace tarvo {

namespace {

constexpr std::size_t kChunk = 1 << 20;

// The tree Windows itself reads first.
DiscTree TreeOf(const ImageLayout& layout) {
  if (layout.Has(kVolumeUdf)) return DiscTree::Udf;
  return layout.Has(kVolumeJoliet) ? DiscTree::Joliet : DiscTree::Iso9660;
}

std::string RecordedName(const LayoutNode& node, DiscTree tree) {
  if (tree == DiscTree::Udf) return node.name;
  if (tree == DiscTree::Joliet) return EncodeUtf8(JoinUtf16(node.jolietName));
  std::string name = node.isoName;
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

std::string TreePath(const ImageLayout& layout, int index, DiscTree tree) {
  std::string path;
  for (int n = index; n != 0; n = layout.nodes[n].parent) path = "\\" + RecordedName(layout.nodes[n], tree) + path;
  return path;
}

int CompareFile(const LayoutNode& node, const DiscFile* copy, FileSystem& files, FileReader& disc) {
  const auto sourceSize = files.FileSize(node.sourcePath);
  auto source = files.OpenRead(node.sourcePath);
  if (!sourceSize || !source) return kVerifySourceUnreadable;
  if (!copy) return kVerifyDiscUnreadable;
  if (copy->size != *sourceSize) return kVerifySizeDiffers;
  DiscFileReader onDisc(disc, *copy);
  std::vector<char> a(kChunk), b(kChunk);
  for (std::uint64_t left = copy->size; left > 0;) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kChunk));
    std::size_t gotA = 0, gotB = 0;
    while (gotA < want) {
      const auto n = source->Read(a.data() + gotA, want - gotA);
      if (!n || *n == 0) return kVerifySourceUnreadable;
      gotA += *n;
    }
    while (gotB < want) {
      const auto n = onDisc.Read(b.data() + gotB, want - gotB);
      if (!n || *n == 0) return kVerifyDiscUnreadable;
      gotB += *n;
    }
    if (!std::equal(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(want), b.begin())) return kVerifyDiffers;
    left -= want;
  }
  return kVerifyMatched;
}

}  // namespace

VerifyCounts VerifyImage(const ImageItems& items, const ImageLayout& layout, FileSystem& files, FileReader& disc,
                         EventQueue& events) {
  const DiscTree tree = TreeOf(layout);
  const auto found = ReadDiscTree(disc, tree);
  const int total = static_cast<int>(layout.fileOrder.size());
  events.Post([total](DiscEvents& e) { e.VerifyStart(total); });
  VerifyCounts counts;
  for (int f : layout.fileOrder) {
    const LayoutNode& node = layout.nodes[f];
    const DiscFile* copy = nullptr;
    if (found) {
      const auto it = found->find(TreePath(layout, f, tree));
      if (it != found->end()) copy = &it->second;
    }
    const int result = CompareFile(node, copy, files, disc);
    ++counts.verified;
    if (result == kVerifyMatched) ++counts.matched;
    const ImageItem item = items.at(node.imagePath);
    const int done = counts.verified;
    events.Post([item, result, done, total](DiscEvents& e) { e.VerifyFile(item, result, done, total); });
  }
  events.Post([counts](DiscEvents& e) { e.VerifyDone(counts.verified, counts.matched); });
  return counts;
}

}  // namespace tarvo
