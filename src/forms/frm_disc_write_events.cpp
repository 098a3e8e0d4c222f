// The disc window's write side: the write and cancel commands, the room check, and the
// engine's write, warning, error and verification events.
#include <cmath>
#include <cstdio>

#include "forms/disc_formats.h"
#include "forms/frm_disc_write.h"

namespace tarvo {

namespace {

const char* VerifyErrorText(int result) {
  switch (result) {
    case kVerifySourceUnreadable:
      return "Verify Error - Could not read Source file from disc: ";
    case kVerifyDiscUnreadable:
      return "Verify Error - Could not read Destination file from disc: ";
    case kVerifyDiffers:
      return "Verify Error - Source and Destination file did not match: ";
    case kVerifySizeDiffers:
      return "Verify Error - Size of Source and Destination file did not match: ";
    default:
      return nullptr;
  }
}

}  // namespace

void FrmMaindvdwrite::cmdWriteDisc_Click() {
  if (RefuseWithoutDrive() || !CheckDiscSpace()) return;
  ApplyJobSettings();
  if (mobjJob->StartWrite(*mobjDevice)) {
    cancelling_ = false;
    SetControlsEnabled(false);
  } else {
    Message("Disc Write could not be started.", MsgIcon::Critical);
  }
}

void FrmMaindvdwrite::ApplyJobSettings() {
  const auto data = [](const ComboBox& box, const std::vector<long>& values) {
    const auto i = static_cast<std::size_t>(box.listIndex);
    return box.listIndex >= 0 && i < values.size() ? values[i] : 0L;
  };
  mobjJob->Volume().VolumeIdentifier = txtVolIdentifier.text;
  mobjJob->OptionB = 1;
  mobjJob->WriteSpeed = static_cast<std::uint32_t>(data(cboWriteSpeed, cboWriteSpeedData));
  mobjJob->VolumeType = static_cast<int>(data(cboVolumeType, cboVolumeTypeData));
  mobjJob->AutoVerify = chkAutoVerify.checked();
  mobjJob->Mode2XA = chkUseMode2XA.checked();
  mobjJob->CacheImage = chkCacheImage.checked();
  mobjJob->TestWrite = chkTestWrite.checked();
  mobjJob->Finalize = chkFinalizeDisc.checked();
  mobjJob->BufferProtect = chkUseBufferProtect.checked();
  mobjJob->WriteMode = chkDiscAtOnce.checked() ? 248 : 2;
}

void FrmMaindvdwrite::cmdCancel_Click() {
  mobjJob->Abort();
  sbrStatus.panels[0] = "Aborting Write...Please Wait!";
  cancelling_ = true;
  cancelAt_ = clock();
}

bool FrmMaindvdwrite::CheckDiscSpace() {
  if (!mobjDevice) return false;
  mobjDevice->RefreshMedia(true);
  const DiscMedia media = mobjDevice->Media();
  if (media.MediaType == kMediaNone || !media.IsWritable) {
    Message("Please Insert Writable Media before continuing!", MsgIcon::Information);
    return false;
  }
  const double freeBytes = static_cast<double>(mobjDevice->FreeBlocks(true)) * mobjJob->BlockSize();
  const double required = mobjJob->ImageSize();
  if (freeBytes >= required) return true;
  const LocaleMarks marks = app_.platform.system.Locale();
  Message("Free Space on the loaded disc is " + FormatNumber(freeBytes / 1048576, 2, false, true, marks) +
              " MB!\r\nThis data image requires " + FormatNumber(required / 1048576, 2, false, true, marks) +
              " MB of Free Space!",
          MsgIcon::Information);
  return false;
}

std::string FrmMaindvdwrite::EngineErrorText(const EngineError& error) {
  const auto code = [](int n) { return "(" + std::to_string(n) + ")   "; };
  switch (error.Category) {
    case kErrorDevice:
      return "Device Error: " + code(error.Device.Code) + error.Device.Description + "\r\n" + error.Device.DetailA +
             " - " + error.Device.DetailB;
    case kErrorOutputFile:
      return "Output File Error: " + code(error.FileError.Code) + error.FileError.Description + "\r\n'" +
             error.FileError.FileName + "'";
    case kErrorSourceFile:
      return "Source File Error: " + code(error.FileError.Code) + error.FileError.Description + "\r\n'" +
             error.FileError.FileName + "'";
    case kErrorSystem:
      return "System Error: (" + std::to_string(error.SystemCode) + ")   " + error.Description;
    default:
      return "Write Error: " + code(error.Category) + error.Description;
  }
}

void FrmMaindvdwrite::WriteState(int percent, int state) {
  std::string& panel = sbrStatus.panels[0];
  switch (state) {
    case 0: panel = "Preparing Image...."; break;
    case 1: case 2: case 3: prgTotalProgress.Set(percent); break;
    case 4: panel = "Closing Track...."; break;
    case 5: panel = "Writing Lead-in...."; break;
    case 6: panel = "Writing Lead-out...."; break;
    case 8: panel = "Updating Volume...."; break;
    case kWriteCompleted:
      panel = "Write Completed!";
      Message(mobjJob && mobjJob->AutoVerify ? "Write and Verify Complete!" : "Write Complete!", MsgIcon::Information);
      break;
    case kWriteCancelled:
      panel = "Write Cancelled....";
      Message("Write Cancelled!", MsgIcon::Information);
      break;
    case kWriteFailed: panel = "Write Error!"; break;
    default: return;
  }
  if (state >= kWriteCompleted) {
    cancelling_ = false;
    SetControlsEnabled(true);
  }
}

void FrmMaindvdwrite::FileWarning(const FileProblem& problem, bool& continueWrite) {
  continueWrite = true;
  const int answer = Message("File Warning(" + std::to_string(problem.Code) + "):" + problem.FileName + "\r\n" +
                                 problem.Description,
                             MsgIcon::Warning, MsgButtons::OkCancel);
  // The flag cannot reach the worker any more; Cancel stops the write (state 10 follows).
  if (answer == kMsgCancel && mobjJob) mobjJob->Abort();
  sbrStatus.panels[0] = "File Warning!";
}

void FrmMaindvdwrite::TrackRead(int track, long number, const std::string& text) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%02d", track);
  sbrStatus.panels[0] = std::string("Track: ") + digits + " - Reading..." + std::to_string(number) + " - " + text;
}

void FrmMaindvdwrite::WriteError(const EngineError& error) { PlainMessage(EngineErrorText(error), MsgIcon::Critical); }

void FrmMaindvdwrite::VerifyStart(int fileCount) {
  sbrStatus.panels[0] = "Auto-Verify... " + std::to_string(fileCount) + " new files.";
}

void FrmMaindvdwrite::VerifyFile(const ImageItem& item, int result, int done, int total) {
  if (const char* text = VerifyErrorText(result))
    PlainMessage(text + std::string("\r\n") + item.ImagePath + " (disc)\r\n" + item.SourcePath + " (source)",
                 MsgIcon::None);
  sbrStatus.panels[0] = "Auto-Verify... " + item.ImagePath;
  // nearbyint rounds halves to even in the default rounding mode.
  prgTotalProgress.Set(total > 0 ? static_cast<int>(std::nearbyint(static_cast<double>(done) / total * 100)) : 0);
}

void FrmMaindvdwrite::VerifyDone(int verified, int matched) {
  sbrStatus.panels[0] =
      "Auto-Verify...Complete (" + std::to_string(matched) + " of " + std::to_string(verified) + " MATCHED)";
}

}  // namespace tarvo
