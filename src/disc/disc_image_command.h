#pragma once
// `tvo disc-image`: a disc image of an archive (or of a folder's contents) from the
// command line, through the same composer as the disc window.
#include <ostream>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

inline constexpr const char* kDefaultDiscLabel = "Outlook Data Backup CD";

struct DiscImageRequest {
  std::string source;  // a file goes to the root; a folder's contents become the root
  std::string image;
  std::string label;
  int volumeType = 7;
};

// 0 when the image was written, 1 when writing failed, 2 for bad input.
int RunDiscImage(FileSystem& files, const DiscImageRequest& request, std::ostream& out, std::ostream& err);

}  // namespace tarvo
