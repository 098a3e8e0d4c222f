// The disc image reader that verification trusts: the UDF, Joliet and ISO 9660 trees of any
// bytes, and every file's bytes read through its extents.
#include <algorithm>
#include <cstring>

#include "disc/image_reader.h"
#include "fuzz_support.h"

using namespace tarvo;

namespace {

class MemoryReader : public FileReader {
 public:
  MemoryReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::optional<std::size_t> Read(char* buf, std::size_t size) override {
    const std::size_t n = pos_ < size_ ? std::min(size, size_ - pos_) : 0;
    if (n > 0) std::memcpy(buf, data_ + pos_, n);
    pos_ += n;
    return n;
  }
  bool Seek(std::uint64_t offset) override {
    if (offset > size_) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_, pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4 * 1024 * 1024) return -1;
  MemoryReader image(data, size);
  char buf[4096];
  for (DiscTree tree : {DiscTree::Udf, DiscTree::Joliet, DiscTree::Iso9660}) {
    const auto files = ReadDiscTree(image, tree);
    if (!files) continue;
    for (const auto& [path, file] : *files) {
      if (path.empty() || path[0] != '\\') std::abort();  // every path starts at the root
      DiscFileReader reader(image, file);
      std::uint64_t total = 0;
      while (const auto n = reader.Read(buf, sizeof buf)) {
        if (*n == 0 || (total += *n) > file.size) break;
      }
    }
  }
  return 0;
}
