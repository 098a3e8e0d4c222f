#include "disc/image_file_drive.h"

#include <limits>
#include <utility>

#include "core/settings.h"
#include "disc/disc_names.h"
#include "disc/image_stream.h"

namespace tarvo {

ImageFileDrive::ImageFileDrive(FileSystem& files, std::string folder) : files_(files), folder_(std::move(folder)) {}

std::string ImageFileDrive::Name() const { return "ISO image file (" + folder_ + ")"; }

std::uint32_t ImageFileDrive::FreeBlocks(bool /*refresh*/) {
  const std::uint64_t blocks = files_.FreeSpace(folder_).value_or(0) / kSector;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, std::numeric_limits<std::uint32_t>::max()));
}

WriteEnd ImageFileDrive::Write(const WriteTask& task) {
  lastImage_ = JoinPath(folder_, ImageFileName(task.layout.label));
  if (task.settings.TestWrite) {
    // A test write goes through every source but keeps nothing.
    lastImage_.clear();
  }
  const std::uint64_t total = task.layout.ImageBytes();
  int shown = -1;
  const StreamProgress progress = [&](std::uint64_t written) {
    const int percent = total ? static_cast<int>(written * 100 / total) : 100;
    if (percent != shown) {
      shown = percent;
      task.events.Post([percent](DiscEvents& e) { e.WriteState(percent, 2); });
    }
    return !task.abort.load();
  };
  StreamOutcome outcome;
  if (lastImage_.empty()) {
    const std::string scratch = JoinPath(folder_, "~test write.iso");
    outcome = WriteImageFile(task.layout, files_, scratch, progress);
    files_.DeleteFile(scratch);
  } else {
    outcome = WriteImageFile(task.layout, files_, lastImage_, progress);
  }
  if (outcome.result == StreamResult::Cancelled) return WriteEnd::Cancelled;
  if (outcome.result != StreamResult::Done) {
    EngineError error;
    const bool source = outcome.result == StreamResult::SourceError;
    error.Category = source ? kErrorSourceFile : kErrorOutputFile;
    error.Description = source ? "The file could not be read." : "The image file could not be written.";
    error.FileError = {source ? 1 : 2, error.Description, outcome.file};
    task.events.Post([error](DiscEvents& e) { e.WriteError(error); });
    return WriteEnd::Failed;
  }
  task.events.Post([](DiscEvents& e) { e.WriteState(100, kWriteClosingTrack); });
  task.events.Post([](DiscEvents& e) { e.WriteState(100, kWriteLeadOut); });
  return WriteEnd::Completed;
}

std::unique_ptr<FileReader> ImageFileDrive::OpenWritten() {
  return lastImage_.empty() ? nullptr : files_.OpenRead(lastImage_);
}

std::string ImageDriveFolder(FileSystem& files, SystemInfo& system, const std::string& settingsFile) {
  const std::string stored = ReadSetting(files, settingsFile, "backup", "backupfolder");
  const auto number = ReadsAsNumber(stored);
  if (!stored.empty() && !(number && *number == 0) && files.FolderExists(stored)) return stored;
  return JoinPath(system.ExpandEnvironment("%USERPROFILE%"), "Documents");
}

std::unique_ptr<DiscEngine> MakeDiscEngine(FileSystem& files, SystemInfo& system, const std::string& settingsFile,
                                           std::vector<std::unique_ptr<DiscDevice>> realDrives) {
  realDrives.push_back(std::make_unique<ImageFileDrive>(files, ImageDriveFolder(files, system, settingsFile)));
  return std::make_unique<DiscEngine>(files, std::move(realDrives));
}

std::string ImageFileName(const std::string& volumeIdentifier) {
  std::string name;
  for (char c : volumeIdentifier)
    name += static_cast<unsigned char>(c) < 0x20 || std::string("<>:\"/\\|?*").find(c) != std::string::npos ? '_' : c;
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
  if (name.empty() || !IsValidItemName(name + ".iso")) name = "_" + name;
  return name + ".iso";
}

}  // namespace tarvo
