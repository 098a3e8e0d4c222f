// The disc window: its controls, load and close, the drive lists and the enabling rules.
#include "forms/frm_disc_write.h"

#include <thread>

#include "core/app_state.h"
#include "disc/image_file_drive.h"
#include "disc/recorder_drive.h"
#include "forms/disc_formats.h"
#include "forms/frm_erase.h"

namespace tarvo {

namespace {

constexpr const char* kNoDrive = "No drive is chosen.\r\nChoose a drive under Device: first.";

void Item(MenuItem& item, const char* caption, const char* shortcut = "") {
  item.caption = caption;
  item.shortcut = shortcut;
}

void Box(CheckBox& box, const char* caption, const char* tip = "") {
  box.caption = caption;
  box.tooltip = tip;
}

}  // namespace

FrmMaindvdwrite::FrmMaindvdwrite(App& app, DiscEngine& engine) : app_(app), engine_(engine) {
  caption = "Backup Outlook Data to CD/DVD";
  SetCaptions();
  SetMenus();
}

FrmMaindvdwrite::~FrmMaindvdwrite() {
  if (engine_.Events() == this) engine_.SetEvents(previousEvents_);
}

void FrmMaindvdwrite::SetCaptions() {
  lblDevice.caption = "Device:";
  lblWriteSpeed.caption = "Write Speed:";
  lblVolumeId.caption = "Volume ID:";
  lblVolumeType.caption = "Volume Type:";
  lblDragDrop.caption = "Drag and Drop Files or Folders";
  Box(chkUseBufferProtect, "Use Buffer Protection", "Eliminates buffer underrun problems.");
  Box(chkCacheImage, "Cache Image", "Not needed for DVD formats...Use for CDR/W only.");
  Box(chkFinalizeDisc, "Finalize Disc", "Not valid for DVD+RW and DVD-RAM formats.");
  Box(chkTestWrite, "Test Write", "Not valid for DVD formats.");
  Box(chkUseMode2XA, "Mode2XA (CD Only)", "Please see help file for details on Mode2XA");
  Box(chkAutoVerify, "Auto-Verify Data", "Reads the written disc back and compares every file with its source.");
  Box(chkUseFileDates, "Use File Dates", "The files keep their own dates on the disc.");
  Box(chkDiscAtOnce, "Disc-At-Once", "Writes the whole disc in one pass.");
  chkUseFileDates.value = 1;
  cmdWriteDisc.caption = "&Write Disc";
  cmdCancel.caption = "&Cancel";
  lvwImageFiles.columns = {"File Name", "Size", "Date"};
  lvwImageFiles.tooltip = "Add files using drag and drop.";
  sbrStatus.panels.assign(3, std::string());
}

void FrmMaindvdwrite::SetMenus() {
  Item(mnuFile, "&File");
  Item(munaddfile, "Add File", "Ctrl+A");
  Item(mnuFileClear, "Clear All Items", "Ctrl+C");
  Item(mnuFileRemoveFolder, "Remove Folder");
  Item(mnuFileRenameFolder, "Rename Folder");
  Item(mnuFileRemoveFile, "Remove File");
  Item(mnuFileRenameFile, "Rename File");
  Item(mnuFileExit, "Exit", "Ctrl+X");
  for (MenuItem* sep : {&mnuFileSep1, &mnuFileSep2, &mnuFileSep3}) sep->separator = true;
  Item(mnuDevice, "&Device");
  Item(mnuDeviceEject, "Eject", "Ctrl+J");
  Item(mnuDeviceCloseTray, "Close Tray", "Ctrl+T");
  Item(mnuDeviceEraseDisc, "Erase Disc...");
}

int FrmMaindvdwrite::Message(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return app_.platform.ui.MessageBox(text, kAppTitle, buttons, icon);
}

int FrmMaindvdwrite::PlainMessage(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return app_.platform.ui.MessageBox(text, std::string(), buttons, icon);
}

bool FrmMaindvdwrite::RefuseWithoutDrive() {
  if (mobjDevice) return false;
  Message(kNoDrive, MsgIcon::Information);
  return true;
}

void FrmMaindvdwrite::Form_Load() {
  previousEvents_ = engine_.Events();
  engine_.SetEvents(this);
  // The image-file drive is always there, so this fails only with an engine of no drives;
  // the window then stays shut rather than ending the program.
  if (!engine_.Initialize(false)) {
    PlainMessage("Devices Cannot be initialized...Contact support!", MsgIcon::None);
    engine_.SetEvents(previousEvents_);
    app_.state.BurnFileName.clear();
    app_.state.BurnFilePath.clear();
    return;
  }
  LoadDevices();
  SetControlsEnabled(true);
  mobjJob = &engine_.WriteJob();
  mobjImage = &mobjJob->Image();
  mobjImage->Clear();
  FillVolumeTypes();
  mobjJob->OptionA = 1;
  mobjJob->UseFileDates = true;
  ResetImageView();
  txtVolIdentifier.text = "Outlook Data Backup CD";
  txtVolIdentifier_Change();
  loaded = visible = true;
  AppState& st = app_.state;
  if (st.BurnFileName.empty() || st.BurnFilePath.empty()) return;
  mobjImage->AddImageFile(st.BurnFilePath, "\\" + st.BurnFileName);
  RefreshImageView();
  st.BurnFileName.clear();
  st.BurnFilePath.clear();
}

void FrmMaindvdwrite::FillVolumeTypes() {
  cboVolumeType.Clear();
  cboVolumeTypeData.clear();
  const std::pair<const char*, long> types[] = {{"ISO9660", 1},
                                                {"UDF", 4},
                                                {"ISO9660/Joliet Bridge", 3},
                                                {"ISO9660/UDF (DVDVideo) Bridge", 5},
                                                {"ISO9660/Joliet/UDF Bridge", 7}};
  for (const auto& [name, data] : types) {
    cboVolumeType.AddItem(name);
    cboVolumeTypeData.push_back(data);
  }
  cboVolumeType.listIndex = 4;
  cboVolumeType.text = cboVolumeType.items[4];
  mobjJob->VolumeType = static_cast<int>(cboVolumeTypeData[4]);
}

bool FrmMaindvdwrite::Form_Unload() {
  if (!mbIdle) return false;
  if (engine_.Events() == this) engine_.SetEvents(previousEvents_);
  mobjJob = nullptr;
  mobjImage = nullptr;
  mobjDevice = nullptr;
  loaded = visible = false;
  return true;
}

void FrmMaindvdwrite::mnuFileExit_Click() { Form_Unload(); }

void FrmMaindvdwrite::SetControlsEnabled(bool flag) {
  for (Control* c : std::initializer_list<Control*>{
           &mnuFile, &mnuDevice, &cboDevices, &cboWriteSpeed, &lvwImageFiles, &tvwFolders, &cmdWriteDisc,
           &chkCacheImage, &chkFinalizeDisc, &chkTestWrite, &cboVolumeType, &txtVolIdentifier, &chkUseMode2XA,
           &chkAutoVerify, &chkUseFileDates, &chkDiscAtOnce})
    c->enabled = flag;
  chkUseBufferProtect.enabled = flag && mobjDevice && mobjDevice->HasCapability(kCapBufferProtect);
  cmdCancel.enabled = !flag;
  mbIdle = flag;
  busyCursor = !flag;
  app_.platform.ui.SetBusyCursor(!flag);
  app_.platform.ui.PumpMessages();
}

void FrmMaindvdwrite::tmrEvents_Timer() {
  engine_.DeliverEvents();
  if (!cancelling_ || mbIdle || clock() - cancelAt_ < kCancelGrace) return;
  // The engine never told how the cancelled write ended: give the window back so it
  // can be closed; the engine is kept alive until its worker stops (ShowDiscWindow).
  cancelling_ = false;
  sbrStatus.panels[0] = "Write Cancelled....";
  SetControlsEnabled(true);
}

void FrmMaindvdwrite::LoadDevices() {
  cboDevices.Clear();
  cboDevicesData.clear();
  for (int i = 0; i < engine_.DeviceCount(); ++i) {
    if (!engine_.Device(i).IsWriter()) continue;
    cboDevices.AddItem(engine_.Device(i).Name());
    cboDevicesData.push_back(i);
  }
  if (cboDevices.items.empty()) {
    mobjDevice = nullptr;
    Message("There are no compatible devices reported.\r\nSome older devices are not currently supported.",
            MsgIcon::Information);
    return;
  }
  cboDevices.listIndex = 0;
  cboDevices.text = cboDevices.items[0];
  cboDevices_Click();
}

void FrmMaindvdwrite::cboDevices_Click() {
  const int index = cboDevices.listIndex;
  if (index < 0 || index >= static_cast<int>(cboDevicesData.size())) return;
  cboDevices.text = cboDevices.items[static_cast<std::size_t>(index)];
  mobjDevice = &engine_.Device(static_cast<int>(cboDevicesData[static_cast<std::size_t>(index)]));
  LoadWriteSpeeds();
  const bool protect = mobjDevice->HasCapability(kCapBufferProtect);
  chkUseBufferProtect.enabled = protect;
  chkUseBufferProtect.value = protect ? 1 : 0;
}

void FrmMaindvdwrite::LoadWriteSpeeds() {
  cboWriteSpeed.Clear();
  cboWriteSpeedData.clear();
  if (!mobjDevice) return;
  mobjDevice->RefreshMedia(false);
  const LocaleMarks marks = app_.platform.system.Locale();
  for (int i = 0; i < mobjDevice->WriteSpeedCount(); ++i) {
    const std::uint32_t speed = mobjDevice->WriteSpeed(i);
    cboWriteSpeed.AddItem(SpeedText(mobjDevice->SpeedFactor(speed), marks));
    cboWriteSpeedData.push_back(static_cast<long>(speed));
  }
  if (cboWriteSpeed.items.empty()) {
    cboWriteSpeed.AddItem("MAX");
    cboWriteSpeedData.push_back(0);
  }
  cboWriteSpeed.listIndex = 0;
  cboWriteSpeed.text = cboWriteSpeed.items[0];
}

void FrmMaindvdwrite::mnuDeviceEject_Click() {
  if (!RefuseWithoutDrive()) mobjDevice->Eject();
}

void FrmMaindvdwrite::mnuDeviceCloseTray_Click() {
  if (!RefuseWithoutDrive()) mobjDevice->CloseTray();
}

void FrmMaindvdwrite::mnuDeviceEraseDisc_Click() {
  if (RefuseWithoutDrive()) return;
  FrmErase window(app_.platform.ui);
  window.ShowErase(mobjDevice, engine_);
}

namespace {

std::vector<std::unique_ptr<DiscDevice>> RealDrives(App& app) {
  std::string error;
  auto drives = app.recorderDrives ? app.recorderDrives(error) : MachineRecorderDrives(&error);
  if (!error.empty() && !app.recorderErrorShown) {
    app.recorderErrorShown = true;
    app.platform.ui.MessageBox(
        "The CD/DVD drives could not be listed: " + error + "\r\nDisc images can still be written to a file.",
        kAppTitle, MsgButtons::Ok, MsgIcon::Information);
  }
  return drives;
}

// A write the window gave up on may still run: the engine lives on until its worker
// stops, away from the window's thread.
void ReleaseEngine(std::unique_ptr<DiscEngine> engine) {
  engine->SetEvents(nullptr);
  if (!engine->WriteJob().Writing()) return;
  engine->WriteJob().Abort();
  std::thread([owned = std::move(engine)]() mutable { owned.reset(); }).detach();
}

}  // namespace

void ShowDiscWindow(App& app) {
  Platform& p = app.platform;
  std::unique_ptr<DiscEngine> engine = MakeDiscEngine(p.files, p.system, app.state.SettingsFile, RealDrives(app));
  {
    FrmMaindvdwrite window(app, *engine);
    window.Form_Load();
    if (window.loaded) p.ui.ShowModal(window);
  }
  ReleaseEngine(std::move(engine));
}

}  // namespace tarvo
