#pragma once
// A small reader of disc images, independent of the composer: it walks the UDF tree, or
// the Joliet or ISO 9660 tree, and tells where each file's bytes lie.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarvo {

struct DiscExtent {
  std::uint64_t offset = 0;  // bytes from the start of the image
  std::uint64_t length = 0;
};

struct DiscFile {
  std::uint64_t size = 0;
  std::vector<DiscExtent> extents;
};

enum class DiscTree { Udf, Joliet, Iso9660 };

// Files by path ("\dir\name", names as recorded, ISO versions ";1" removed); nullopt
// when the image has no such tree or it cannot be read.
std::optional<std::map<std::string, DiscFile>> ReadDiscTree(FileReader& image, DiscTree tree);

// Reads a file's bytes from its extents, in pieces.
class DiscFileReader {
 public:
  DiscFileReader(FileReader& image, const DiscFile& file) : image_(image), file_(file) {}
  std::optional<std::size_t> Read(char* buf, std::size_t size);

 private:
  FileReader& image_;
  const DiscFile& file_;
  std::size_t extent_ = 0;
  std::uint64_t within_ = 0;
};

}  // namespace tarvo
