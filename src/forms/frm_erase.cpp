// The erase window: checks the disc in the chosen drive, starts the erase and follows it.
#include "forms/frm_erase.h"

#include "core/app_state.h"
#include "disc/recorder_drive.h"

namespace tarvo {

namespace {

// Capability code and media type: the drive writes (so erases) discs of that type.
constexpr std::pair<int, int> kErasable[] = {{kCapWritesDvdRam, kMediaDvdRam},
                                             {kCapWritesDvdRw, kMediaDvdRw},
                                             {kCapWritesCdRw, kMediaCdRw},
                                             {kCapWritesDvdPlusRw, kMediaDvdPlusRw},
                                             {kCapWritesBdRe, kMediaBdRe}};

}  // namespace

FrmErase::FrmErase(Ui& ui) : ui_(ui) {
  caption = "Erase Re-Writable CD/DVD";
  chkQuikErase.caption = "Perform Quick Erase";
  chkQuikErase.value = 1;
  cmdErase.caption = "&Erase";
  cmdCancel.caption = "&Cancel";
  lblNote.caption =
      "NOTE: If not performing a quick erase, it could take several minutes to completely erase the disc. This "
      "operation cannot be cancelled. A quick erase will erase the table of contents, but not the actual data.";
}

void FrmErase::ShowErase(DiscDevice* device, DiscEngine& engine) {
  mobjDevice = device;
  mobjEngine = &engine;
  cmdCancel.enabled = cmdErase.enabled = true;
  mbErasing = false;
  // The erase events come here while the window is shown; the disc window gets them back.
  previousEvents_ = engine.Events();
  engine.SetEvents(this);
  loaded = visible = true;
  ui_.ShowModal(*this);
  engine.SetEvents(previousEvents_);
}

void FrmErase::cmdErase_Click() {
  const auto refuse = [this](const char* text, MsgIcon icon) {
    ui_.MessageBox(text, kAppTitle, MsgButtons::Ok, icon);
    Close();
  };
  if (!mobjDevice) return refuse("No drive is chosen.\r\nChoose a drive under Device: first.", MsgIcon::Information);
  mobjDevice->RefreshMedia(false);
  const DiscMedia media = mobjDevice->Media();
  if (media.MediaType == kMediaNone) return refuse("No Media Loaded.", MsgIcon::Information);
  if (!media.IsRewritable) return refuse("The current media is not re-writable.", MsgIcon::Information);
  bool supported = false;
  for (const auto& [code, type] : kErasable) {
    if (mobjDevice->HasCapability(code) && type == media.MediaType) {
      supported = true;
      break;
    }
  }
  if (!supported)
    return refuse("Selected drive does not support re-writable discs of this format.", MsgIcon::Information);
  const std::uint32_t parameter = mobjDevice->EraseParameter();
  if (!mobjDevice->StartErase(chkQuikErase.value == 1, parameter, mobjEngine->Queue()))
    refuse("Could not start Erase operation!!!", MsgIcon::Critical);
}

void FrmErase::cmdCancel_Click() { Close(); }

bool FrmErase::Form_Unload() {
  if (mbErasing) return false;
  mobjDevice = nullptr;
  loaded = visible = false;
  return true;
}

void FrmErase::Close() { Form_Unload(); }

void FrmErase::tmrEvents_Timer() {
  if (mobjEngine) mobjEngine->DeliverEvents();
}

void FrmErase::EraseState(int state, int percent) {
  switch (state) {
    case kEraseStarted:
      mbErasing = true;
      lblStatus.caption = "Erasing Disc...Please Wait!!";
      cmdCancel.enabled = cmdErase.enabled = false;
      prgEraseProgress.Set(percent);
      break;
    case kEraseProgress:
      prgEraseProgress.Set(percent);
      break;
    case kEraseFinished:
      lblStatus.caption = "Erase operation complete!!!";
      ui_.MessageBox("Erase Completed!!!", kAppTitle, MsgButtons::Ok, MsgIcon::Information);
      [[fallthrough]];
    case kEraseFailed:
      if (state == kEraseFailed) lblStatus.caption = "Error Erasing Disc!!!";
      cmdCancel.enabled = cmdErase.enabled = true;
      mbErasing = false;
      Close();
      break;
    default:
      break;
  }
}

void FrmErase::DeviceErrorRaised(const DeviceError& error) {
  ui_.MessageBox("Device Error: (" + std::to_string(error.Code) + ")   " + error.Description + "\r\n(" +
                     error.DetailB + ") " + error.DetailA,
                 std::string(), MsgButtons::Ok, MsgIcon::Critical);
  cmdCancel.enabled = cmdErase.enabled = true;
  mbErasing = false;
}

}  // namespace tarvo
