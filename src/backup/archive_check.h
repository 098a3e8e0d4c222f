#pragma once
// "Check backup file after backup procedure": the new archive is written to a work file of
// its own, read back whole, and only then moved over the previous archive.
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace tarvo {

// Reads every entry of the archive at path to its end, so that sizes, CRCs and the AES
// authentication codes are all checked, and looks for the information record. The empty
// text when the archive is sound, otherwise why it is not.
std::string CheckArchive(FileSystem& files, const std::string& path, const std::string& password);

// Called with the work file just before it is checked; tests damage it here.
using BeforeArchiveCheck = std::function<void(const std::string& workFile)>;

class CheckedArchiveWrite {
 public:
  CheckedArchiveWrite(FileSystem& files, bool check, BeforeArchiveCheck beforeCheck = {})
      : files_(files), check_(check), beforeCheck_(std::move(beforeCheck)) {}

  // The path to hand to NewArchive: the target itself when not checking, otherwise a work
  // file beside it.
  std::string Begin(const std::string& target);
  // After WriteArchive and CloseArchive. Checks the work file and moves it over the target;
  // on a failed check the work file is removed and the target left as it was. Returns
  // whether the new archive is in place. writeError names the work file; it is returned
  // by WriteError() naming the target instead.
  bool Finish(bool written, const std::string& writeError, const std::string& password);

  bool Checking() const { return check_; }
  bool CheckFailed() const { return checkFailed_; }
  const std::string& CheckError() const { return checkError_; }
  const std::string& WriteError() const { return writeError_; }

 private:
  std::string ForTarget(std::string text) const;

  FileSystem& files_;
  bool check_;
  BeforeArchiveCheck beforeCheck_;
  std::string target_, work_;
  bool checkFailed_ = false;
  std::string checkError_, writeError_;
};

}  // namespace tarvo
