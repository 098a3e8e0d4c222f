#pragma once
// Writes a planned image as one stream: the structures, then each file's data read once
// in order, then the closing anchor. Nothing is copied or held whole.
#include <cstdint>
#include <functional>
#include <string>

#include "disc/image_layout.h"
#include "platform/file_system.h"

namespace tarvo {

enum class StreamResult { Done, Cancelled, SourceError, OutputError };

struct StreamOutcome {
  StreamResult result = StreamResult::Done;
  std::string file;  // the source or output that failed
};

// `progress` gets the bytes written so far; answering false cancels.
using StreamProgress = std::function<bool(std::uint64_t written)>;

StreamOutcome StreamImage(const ImageLayout& layout, FileSystem& files, FileWriter& out,
                          const StreamProgress& progress);

// Streams into a work file beside `target` and puts it in place only when complete; a
// cancelled or failed write leaves no partial image and an older image untouched.
StreamOutcome WriteImageFile(const ImageLayout& layout, FileSystem& files, const std::string& target,
                             const StreamProgress& progress);

}  // namespace tarvo
