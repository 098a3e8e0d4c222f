#include "disc/disc_image_command.h"

#include <chrono>

#include "disc/disc_image.h"
#include "disc/image_stream.h"

namespace tarvo {

namespace {

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

int RunDiscImage(FileSystem& files, const DiscImageRequest& request, std::ostream& out, std::ostream& err) {
  if (!IsVolumeType(request.volumeType)) {
    err << "tvo: --type must be 1, 3, 4, 5 or 7\n";
    return 2;
  }
  DiscImage image(files);
  bool added = false;
  if (files.FolderExists(request.source)) {
    added = image.AddImageFolder(request.source + "\\*.*", "\\");
  } else if (files.FileExists(request.source)) {
    added = image.AddImageFile(request.source, "\\" + BareName(request.source));
  }
  if (!added) {
    err << "tvo: cannot add " << request.source << " to the image\n";
    return 2;
  }
  const ImageLayout layout = PlanImage(image.Items(), request.volumeType, request.label, true, Now());
  const StreamOutcome outcome = WriteImageFile(layout, files, request.image, nullptr);
  if (outcome.result != StreamResult::Done) {
    err << "tvo: " << (outcome.result == StreamResult::SourceError ? "cannot read " : "cannot write ") << outcome.file
        << "\n";
    return 1;
  }
  out << "wrote " << request.image << " (" << layout.ImageBytes() << " bytes, " << layout.fileCount << " files, "
      << layout.folderCount - 1 << " folders)\n";
  return 0;
}

}  // namespace tarvo
