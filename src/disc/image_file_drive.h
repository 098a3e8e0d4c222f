#pragma once
// The drive that is always there: it writes the disc as an image file into a folder.
// Its disc is a blank, writable, non-rewritable one as large as the folder's free space.
#include <string>

#include "disc/disc_engine.h"
#include "platform/system_info.h"

namespace tarvo {

class ImageFileDrive : public DiscDevice {
 public:
  ImageFileDrive(FileSystem& files, std::string folder);

  std::string Name() const override;
  bool IsWriter() const override { return true; }
  bool HasCapability(int /*code*/) const override { return false; }
  bool RefreshMedia(bool /*reload*/) override { return true; }
  DiscMedia Media() const override { return {true, kMediaImageFile, false}; }
  std::uint32_t FreeBlocks(bool refresh) override;
  int WriteSpeedCount() const override { return 0; }
  std::uint32_t WriteSpeed(int /*index*/) const override { return 0; }
  double SpeedFactor(std::uint32_t /*speed*/) const override { return 0; }
  bool Eject() override { return true; }
  bool CloseTray() override { return true; }
  std::uint32_t EraseParameter() const override { return 0; }
  bool StartErase(bool /*quick*/, std::uint32_t /*parameter*/, EventQueue& /*events*/) override { return false; }

  WriteEnd Write(const WriteTask& task) override;
  std::unique_ptr<FileReader> OpenWritten() override;

  // Where the last write put (or would put) its image.
  const std::string& ImagePath() const { return lastImage_; }

 private:
  FileSystem& files_;
  std::string folder_;
  std::string lastImage_;
};

// The folder images go to: the backup folder of the preferences when one is set and
// exists, else the user's Documents.
std::string ImageDriveFolder(FileSystem& files, SystemInfo& system, const std::string& settingsFile);
// The engine with the given real drives first and the image-file drive last.
std::unique_ptr<DiscEngine> MakeDiscEngine(FileSystem& files, SystemInfo& system, const std::string& settingsFile,
                                           std::vector<std::unique_ptr<DiscDevice>> realDrives = {});
// The volume identifier as a file name: characters Windows forbids become "_".
std::string ImageFileName(const std::string& volumeIdentifier);

}  // namespace tarvo
