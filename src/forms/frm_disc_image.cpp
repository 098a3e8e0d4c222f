// The disc window's image side: the tree and list views, the "&File" menu and the
// engine's image events that keep both views in step with the image.
#include "forms/disc_formats.h"
#include "forms/frm_disc_write.h"

namespace tarvo {

std::string FrmMaindvdwrite::SizeText(double bytes) const {
  return FormatNumber(bytes / 1048576, 2, false, true, app_.platform.system.Locale()) + " MB";
}

void FrmMaindvdwrite::ResetImageView() {
  lvwImageFiles.Clear();
  tvwFolders.Clear();
  tvwFolders.Add({"\\", "", "New Disc", "CD", "CD", false});
  txtVolIdentifier.text = "New Disc";
  if (mobjJob) mobjJob->Volume().VolumeIdentifier = "New Disc";
  UpdateImageStatus();
}

void FrmMaindvdwrite::RefreshImageView() {
  const std::string key = tvwFolders.selectedKey.empty() ? std::string("\\") : tvwFolders.selectedKey;
  ShowFolderFiles(key);
  if (TreeNode* node = tvwFolders.Find(key)) node->expanded = true;
  UpdateImageStatus();
}

void FrmMaindvdwrite::ShowFolderFiles(const std::string& imagePath) {
  app_.platform.ui.SetBusyCursor(true);
  lvwImageFiles.Clear();
  if (mobjImage) mobjImage->ListFolder(imagePath);
  app_.platform.ui.SetBusyCursor(false);
}

void FrmMaindvdwrite::UpdateImageStatus() {
  if (!mobjJob) return;
  sbrStatus.panels[0] = "Data Image Size: " + SizeText(mobjJob->ImageSize());
  sbrStatus.panels[1] = "Files: " + std::to_string(mobjImage->FileCount());
  sbrStatus.panels[2] = "Folders: " + std::to_string(mobjImage->FolderCount());
}

void FrmMaindvdwrite::munaddfile_Click() {
  FileDialogRequest request;
  request.title = "Add File to Write to the CD/DVD...";
  request.filter = "Any File (*.*)|*.*";
  request.fileName = "*.*";
  const auto chosen = app_.platform.ui.OpenFileDialog(request);
  const bool added = chosen && mobjImage->AddImageFile(*chosen, "\\" + FileNameOf(*chosen));
  if (added) {
    UpdateImageStatus();
    RefreshImageView();
  } else {
    PlainMessage("A file was not added.", MsgIcon::Information);
  }
}

void FrmMaindvdwrite::mnuFileClear_Click() { mobjImage->Clear(); }

bool FrmMaindvdwrite::RefuseWithoutSelection(const std::string& selectedKey) {
  if (!selectedKey.empty()) return false;
  Message("No Item Selected.", MsgIcon::Information);
  return true;
}

void FrmMaindvdwrite::RemoveSelected(const std::string& selectedKey) {
  if (RefuseWithoutSelection(selectedKey)) return;
  if (!mobjImage->RemoveItem(selectedKey)) Message("Item could not be removed.", MsgIcon::Information);
  RefreshImageView();
}

void FrmMaindvdwrite::mnuFileRemoveFolder_Click() { RemoveSelected(tvwFolders.selectedKey); }

void FrmMaindvdwrite::mnuFileRemoveFile_Click() { RemoveSelected(lvwImageFiles.selectedKey); }

void FrmMaindvdwrite::mnuFileRenameFolder_Click() {
  if (!RefuseWithoutSelection(tvwFolders.selectedKey)) tvwFolders.editKey = tvwFolders.selectedKey;
}

void FrmMaindvdwrite::mnuFileRenameFile_Click() {
  if (!RefuseWithoutSelection(lvwImageFiles.selectedKey)) lvwImageFiles.editKey = lvwImageFiles.selectedKey;
}

void FrmMaindvdwrite::tvwFolders_NodeClick(const std::string& key) {
  tvwFolders.selectedKey = key;
  ShowFolderFiles(key);
}

void FrmMaindvdwrite::lvwImageFiles_ItemClick(const std::string& key) { lvwImageFiles.selectedKey = key; }

void FrmMaindvdwrite::tvwFolders_BeforeLabelEdit(bool& cancel) {
  if (tvwFolders.selectedKey != "\\") return;
  Message("Root directory can not be renamed.", MsgIcon::Information);
  cancel = true;
}

void FrmMaindvdwrite::tvwFolders_AfterLabelEdit(bool& cancel, const std::string& newText) {
  if (!mobjImage->RenameFolder(tvwFolders.selectedKey, newText)) {
    Message("Folder could not be renamed.", MsgIcon::Information);
    cancel = true;
  }
  RefreshImageView();
}

void FrmMaindvdwrite::lvwImageFiles_AfterLabelEdit(bool& cancel, const std::string& newText) {
  if (!mobjImage->RenameFile(lvwImageFiles.selectedKey, newText)) {
    Message("File could not be renamed.", MsgIcon::Information);
    cancel = true;
  }
  RefreshImageView();
}

void FrmMaindvdwrite::tvwFolders_MouseDown(int button) {
  if (button == 2) PopupFileMenu(true);
}

void FrmMaindvdwrite::lvwImageFiles_MouseDown(int button) {
  if (button == 2) PopupFileMenu(false);
}

void FrmMaindvdwrite::PopupFileMenu(bool forTree) {
  struct Entry {
    MenuItem* item;
    void (FrmMaindvdwrite::*handler)();
    bool onTree, onList;
  };
  const Entry entries[] = {
      {&munaddfile, &FrmMaindvdwrite::munaddfile_Click, true, true},
      {&mnuFileSep1, nullptr, true, true},
      {&mnuFileClear, &FrmMaindvdwrite::mnuFileClear_Click, true, true},
      {&mnuFileSep2, nullptr, false, false},
      {&mnuFileRemoveFolder, &FrmMaindvdwrite::mnuFileRemoveFolder_Click, true, false},
      {&mnuFileRenameFolder, &FrmMaindvdwrite::mnuFileRenameFolder_Click, true, false},
      {&mnuFileRemoveFile, &FrmMaindvdwrite::mnuFileRemoveFile_Click, false, true},
      {&mnuFileRenameFile, &FrmMaindvdwrite::mnuFileRenameFile_Click, false, true},
      {&mnuFileSep3, nullptr, false, false},
      {&mnuFileExit, &FrmMaindvdwrite::mnuFileExit_Click, false, false},
  };
  std::vector<std::string> shown;
  std::vector<const Entry*> shownEntries;
  for (const Entry& e : entries) {
    e.item->visible = forTree ? e.onTree : e.onList;
    if (!e.item->visible) continue;
    shown.push_back(e.item->separator ? "-" : e.item->caption);
    shownEntries.push_back(&e);
  }
  const int chosen = app_.platform.ui.PopupMenu(shown);
  for (const Entry& e : entries) e.item->visible = true;
  if (chosen < 0 || chosen >= static_cast<int>(shownEntries.size())) return;
  if (auto handler = shownEntries[static_cast<std::size_t>(chosen)]->handler) (this->*handler)();
}

void FrmMaindvdwrite::tvwFolders_OLEDragDrop(const std::vector<std::string>& paths) { AddDroppedItems(paths); }

void FrmMaindvdwrite::lvwImageFiles_OLEDragDrop(const std::vector<std::string>& paths) { AddDroppedItems(paths); }

void FrmMaindvdwrite::AddDroppedItems(const std::vector<std::string>& paths) {
  app_.platform.ui.SetBusyCursor(true);
  const std::string& selected = tvwFolders.selectedKey;
  const std::string target = selected == "\\" ? std::string() : selected;
  for (const std::string& path : paths) {
    const std::string imagePath = target + "\\" + FileNameOf(path);
    if (IsFolderPath(path)) {
      mobjImage->AddImageFolder(path + "\\*.*", imagePath);
    } else {
      mobjImage->AddImageFile(path, imagePath);
    }
  }
  RefreshImageView();
  app_.platform.ui.SetBusyCursor(false);
}

bool FrmMaindvdwrite::IsFolderPath(const std::string& path) { return app_.platform.files.FolderExists(path); }

std::string FrmMaindvdwrite::FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

void FrmMaindvdwrite::txtVolIdentifier_Change() {
  // Counted in characters, not bytes: the text is UTF-8.
  std::string& text = txtVolIdentifier.text;
  const auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
  std::size_t chars = 0, cut = 0;
  while (cut < text.size() && chars < kMaxLabel) {
    ++chars;
    ++cut;
    while (cut < text.size() && continuation(cut)) ++cut;
  }
  text.resize(cut);
  if (TreeNode* root = tvwFolders.Find("\\")) root->text = txtVolIdentifier.text;
}

void FrmMaindvdwrite::chkUseFileDates_Click() { mobjJob->UseFileDates = chkUseFileDates.value == 1; }

// --- image events ---

void FrmMaindvdwrite::ItemAdded(const ImageItem& item) {
  if (item.IsFolder) {
    tvwFolders.Add({item.ImagePath, item.Parent, item.Name, "CLOSEDFOLDER", "OPENFOLDER", false});
    sbrStatus.panels[0] = "Adding...." + item.ImagePath;
  }
  app_.platform.ui.PumpMessages();
}

void FrmMaindvdwrite::ItemListed(const ImageItem& item) {
  if (item.IsFolder) return;
  SystemInfo& system = app_.platform.system;
  const LocaleMarks marks = system.Locale();
  const std::string date = ListDateText(system.LocalTimeOf(item.Date), marks);
  lvwImageFiles.items.push_back({item.ImagePath, item.Name, "FILE", {ListSizeText(item.Size, marks), date}});
}

void FrmMaindvdwrite::ItemRemoved(const ImageItem& item) {
  if (item.IsFolder) tvwFolders.Remove(item.ImagePath);
}

void FrmMaindvdwrite::ItemRenamed(const ImageItem& item) {
  if (!item.IsFolder) return;
  tvwFolders.Rekey(item.OldImagePath, item.ImagePath);
  if (TreeNode* node = tvwFolders.Find(item.ImagePath)) node->text = item.Name;
}

void FrmMaindvdwrite::ReplaceQuery(const ImageItem& item, const std::string& newSource, bool& replace) {
  const std::string text = "A file already exists in the image: \r\n" + item.ImagePath +
                           "\r\nWould you like to replace it with: \r\n" + newSource + " ?";
  replace = app_.platform.ui.MessageBox(text, "Replace file...", MsgButtons::OkCancel, MsgIcon::Question) == kMsgOk;
}

void FrmMaindvdwrite::ImageCleared() { ResetImageView(); }

}  // namespace tarvo
