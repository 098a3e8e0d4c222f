#pragma once
// frmErase: erases the rewritable disc in the drive chosen in the disc window, quickly or
// fully, and closes itself when the erase has ended.
#include <string>

#include "disc/disc_engine.h"
#include "forms/controls.h"
#include "platform/ui.h"

namespace tarvo {

class FrmErase : public Form, public DiscEvents {
 public:
  explicit FrmErase(Ui& ui);
  const char* Name() const override { return "frmErase"; }

  CheckBox chkQuikErase;
  Button cmdErase, cmdCancel;
  Label lblStatus, lblNote;
  ProgressBar prgEraseProgress;
  bool mbErasing = false;

  // Shows the window modally for this drive (null: the disc window had none) and engine.
  void ShowErase(DiscDevice* device, DiscEngine& engine);
  void cmdErase_Click();
  void cmdCancel_Click();
  // False: the close is refused (an erase runs).
  bool Form_Unload();
  // The window's timer: raises the engine's pending erase events.
  void tmrEvents_Timer();

  void EraseState(int state, int percent) override;
  void DeviceErrorRaised(const DeviceError& error) override;

 private:
  void Close();
  Ui& ui_;
  DiscDevice* mobjDevice = nullptr;
  DiscEngine* mobjEngine = nullptr;
  DiscEvents* previousEvents_ = nullptr;
};

}  // namespace tarvo
