#pragma once
// frmMaindvdwrite: composes a data disc from files and folders, names it, and writes it
// with the chosen options to a recorder or to an image file through the disc engine.
// The tree and the list are filled only from the engine's events, so they always show
// what the engine holds. Write and erase events come from a worker thread and are raised
// here when the window's timer calls tmrEvents_Timer.
#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "disc/disc_engine.h"
#include "forms/controls.h"
#include "jobs/app.h"

namespace tarvo {

class FrmMaindvdwrite : public Form, public DiscEvents {
 public:
  FrmMaindvdwrite(App& app, DiscEngine& engine);
  ~FrmMaindvdwrite() override;
  const char* Name() const override { return "frmMaindvdwrite"; }

  // --- controls ---
  Label lblDevice, lblWriteSpeed, lblVolumeId, lblVolumeType, lblDragDrop;
  ComboBox cboDevices, cboWriteSpeed, cboVolumeType;
  std::vector<long> cboDevicesData, cboWriteSpeedData, cboVolumeTypeData;  // item data
  TextBox txtVolIdentifier;  // at most kMaxLabel characters
  TreeView tvwFolders;
  ListView lvwImageFiles;
  CheckBox chkUseBufferProtect, chkCacheImage, chkFinalizeDisc, chkTestWrite, chkUseMode2XA, chkAutoVerify,
      chkUseFileDates, chkDiscAtOnce;
  Button cmdWriteDisc, cmdCancel;
  ProgressBar prgTotalProgress;
  StatusBar sbrStatus;  // three panels
  // "&File" and its entries in menu order, then "&Device" and its entries.
  MenuItem mnuFile, munaddfile, mnuFileSep1, mnuFileClear, mnuFileSep2, mnuFileRemoveFolder, mnuFileRenameFolder,
      mnuFileRemoveFile, mnuFileRenameFile, mnuFileSep3, mnuFileExit;
  MenuItem mnuDevice, mnuDeviceEject, mnuDeviceCloseTray, mnuDeviceEraseDisc;
  bool mbIdle = true;
  bool busyCursor = false;  // the hourglass shows while true

  static constexpr int kMaxLabel = 32;
  // A cancelled write that reports no end within this time is given up by the window.
  static constexpr std::chrono::seconds kCancelGrace{30};
  // The timer's clock; tests set their own.
  std::function<std::chrono::steady_clock::time_point()> clock = [] { return std::chrono::steady_clock::now(); };

  // --- window ---
  void Form_Load();
  // False: the close is refused (a write runs).
  bool Form_Unload();
  void SetControlsEnabled(bool flag);
  // The timer of the window: raises the engine's pending events, and lets a cancelled
  // write that never reports its end be closed after a while.
  void tmrEvents_Timer();

  // --- drives ---
  void LoadDevices();
  void cboDevices_Click();
  void LoadWriteSpeeds();

  // --- the image views ---
  void ResetImageView();
  void RefreshImageView();
  void ShowFolderFiles(const std::string& imagePath);
  void UpdateImageStatus();

  // --- menus ---
  void munaddfile_Click();
  void mnuFileClear_Click();
  void mnuFileRemoveFolder_Click();
  void mnuFileRenameFolder_Click();
  void mnuFileRemoveFile_Click();
  void mnuFileRenameFile_Click();
  void mnuFileExit_Click();
  void mnuDeviceEject_Click();
  void mnuDeviceCloseTray_Click();
  void mnuDeviceEraseDisc_Click();

  // --- views: button 2 is the right mouse button; cancel refuses the edit ---
  void tvwFolders_NodeClick(const std::string& key);
  void tvwFolders_BeforeLabelEdit(bool& cancel);
  void tvwFolders_AfterLabelEdit(bool& cancel, const std::string& newText);
  void tvwFolders_MouseDown(int button);
  void tvwFolders_OLEDragDrop(const std::vector<std::string>& paths);
  void lvwImageFiles_ItemClick(const std::string& key);
  void lvwImageFiles_AfterLabelEdit(bool& cancel, const std::string& newText);
  void lvwImageFiles_MouseDown(int button);
  void lvwImageFiles_OLEDragDrop(const std::vector<std::string>& paths);
  void txtVolIdentifier_Change();
  void chkUseFileDates_Click();
  void AddDroppedItems(const std::vector<std::string>& paths);
  bool IsFolderPath(const std::string& path);
  static std::string FileNameOf(const std::string& path);

  // --- writing ---
  void cmdWriteDisc_Click();
  void cmdCancel_Click();
  bool CheckDiscSpace();
  static std::string EngineErrorText(const EngineError& error);

  // --- engine events ---
  void WriteState(int percent, int state) override;
  void FileWarning(const FileProblem& problem, bool& continueWrite) override;
  void TrackRead(int track, long number, const std::string& text) override;
  void WriteError(const EngineError& error) override;
  void VerifyStart(int fileCount) override;
  void VerifyFile(const ImageItem& item, int result, int done, int total) override;
  void VerifyDone(int verified, int matched) override;
  void ItemAdded(const ImageItem& item) override;
  void ItemRemoved(const ImageItem& item) override;
  void ItemRenamed(const ImageItem& item) override;
  void ItemListed(const ImageItem& item) override;
  void ReplaceQuery(const ImageItem& item, const std::string& newSource, bool& replace) override;
  void ImageCleared() override;

  // --- texts shared with the tests and the erase window ---
  // Bytes as "700.00 MB" (÷ 1,048,576, locale decimal mark, no thousands separator).
  std::string SizeText(double bytes) const;

 private:
  void PopupFileMenu(bool forTree);
  int Message(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);
  // A box with the default (empty) title.
  int PlainMessage(const std::string& text, MsgIcon icon, MsgButtons buttons = MsgButtons::Ok);
  // True (after telling the user) when no drive is chosen.
  bool RefuseWithoutDrive();
  // True (after telling the user) when the view has no selection.
  bool RefuseWithoutSelection(const std::string& selectedKey);
  void RemoveSelected(const std::string& selectedKey);
  void SetCaptions();
  void SetMenus();
  void FillVolumeTypes();
  void ApplyJobSettings();

  App& app_;
  DiscEngine& engine_;
  DiscDevice* mobjDevice = nullptr;
  DiscWriteJob* mobjJob = nullptr;
  DiscImage* mobjImage = nullptr;
  DiscEvents* previousEvents_ = nullptr;
  bool cancelling_ = false;
  std::chrono::steady_clock::time_point cancelAt_{};
};

// Opens the disc window modally over an engine with this machine's recorders and the
// image-file drive; BurnFileName and BurnFilePath of the state, when both are set, put
// the new archive into the image first.
void ShowDiscWindow(App& app);

}  // namespace tarvo
