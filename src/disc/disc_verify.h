#pragma once
// Verification of a written image: every file is found again by reading the image's own
// directory tree, and its bytes are compared with the source.
#include "disc/disc_image.h"
#include "disc/event_queue.h"
#include "disc/image_layout.h"
#include "platform/file_system.h"

namespace tarvo {

struct VerifyCounts {
  int verified = 0;
  int matched = 0;
};

// Posts VerifyStart, one VerifyFile per file of `items` and VerifyDone. The layout gives
// only the names each item was recorded under; where a file lies and how long it is come
// from the image itself.
VerifyCounts VerifyImage(const ImageItems& items, const ImageLayout& layout, FileSystem& files, FileReader& disc,
                         EventQueue& events);

}  // namespace tarvo
