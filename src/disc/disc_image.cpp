#include "disc/disc_image.h"

#include <algorithm>
#include <utility>

#include "disc/disc_names.h"
#include "platform/host_file_system.h"

namespace tarvo {

namespace {

DiscEvents& NoEvents() {
  static DiscEvents none;
  return none;
}

ImageItem RootItem() {
  ImageItem root;
  root.IsFolder = true;
  root.ImagePath = "\\";
  return root;
}

bool Below(const std::string& path, const std::string& folder) {
  const std::string prefix = folder + "\\";
  return path.size() > prefix.size() && SameNameNoCase(path.substr(0, prefix.size()), prefix);
}

}  // namespace

bool PathLessNoCase::operator()(const std::string& a, const std::string& b) const { return NameLessNoCase(a, b); }

DiscImage::DiscImage(FileSystem& files) : files_(files) { items_.emplace("\\", RootItem()); }

DiscEvents& DiscImage::events() { return events_ ? *events_ : NoEvents(); }

const ImageItem* DiscImage::Find(const std::string& imagePath) const {
  const auto it = items_.find(imagePath);
  return it == items_.end() ? nullptr : &it->second;
}

ImageItem* DiscImage::FindMutable(const std::string& imagePath) {
  const auto it = items_.find(imagePath);
  return it == items_.end() ? nullptr : &it->second;
}

ImageItem* DiscImage::EnsureFolder(const std::vector<std::string>& names, std::int64_t date) {
  ImageItem* folder = FindMutable("\\");
  for (const std::string& name : names) {
    const std::string path = ChildImagePath(folder->ImagePath, name);
    ImageItem* next = FindMutable(path);
    if (!next) {
      ImageItem item;
      item.IsFolder = true;
      item.Parent = folder->ImagePath;
      item.Name = name;
      item.ImagePath = path;
      item.Date = date;
      next = &items_.emplace(path, item).first->second;
      events().ItemAdded(*next);
    }
    if (!next->IsFolder) return nullptr;
    folder = next;
  }
  return folder;
}

bool DiscImage::AddImageFile(const std::string& sourcePath, const std::string& imagePath) {
  std::vector<std::string> names;
  if (!SplitImagePath(imagePath, names) || names.empty() || !files_.FileExists(sourcePath)) return false;
  const auto size = files_.FileSize(sourcePath);
  if (!size || *size > kMaxImageFileBytes) return false;
  const std::int64_t date = files_.ModifiedTime(sourcePath).value_or(0);
  const std::string name = names.back();
  names.pop_back();
  ImageItem* parent = EnsureFolder(names, date);
  if (!parent) return false;
  const std::string path = ChildImagePath(parent->ImagePath, name);
  ImageItem* item = FindMutable(path);
  if (item) {
    if (item->IsFolder) return false;
    bool replace = false;
    events().ReplaceQuery(*item, sourcePath, replace);
    if (!replace) return false;
  } else {
    item = &items_.emplace(path, ImageItem{}).first->second;
    item->Parent = parent->ImagePath;
    item->Name = name;
    item->ImagePath = path;
  }
  item->SourcePath = sourcePath;
  item->Size = static_cast<double>(*size);
  item->Date = date;
  events().ItemAdded(*item);
  return true;
}

bool DiscImage::AddImageFolder(const std::string& sourcePattern, const std::string& imagePath) {
  std::string folder = sourcePattern;
  for (const char* tail : {"\\*.*", "\\*"}) {
    const std::string t = tail;
    if (folder.size() > t.size() && folder.compare(folder.size() - t.size(), t.size(), t) == 0) {
      folder.resize(folder.size() - t.size());
      break;
    }
  }
  std::vector<std::string> names;
  if (!SplitImagePath(imagePath.empty() ? "\\" : imagePath, names) || !files_.FolderExists(folder)) return false;
  const ImageItem* target = EnsureFolder(names, files_.ModifiedTime(folder).value_or(0));
  return target && AddFolderContents(folder, target->ImagePath);
}

bool DiscImage::AddFolderContents(const std::string& sourceFolder, const std::string& imagePath) {
  const auto fileNames = files_.ListFiles(sourceFolder);
  const auto folderNames = files_.ListFolders(sourceFolder);
  if (!fileNames || !folderNames) return false;
  bool all = true;
  for (const std::string& name : *fileNames)
    all = AddImageFile(JoinPath(sourceFolder, name), ChildImagePath(imagePath, name)) && all;
  for (const std::string& name : *folderNames) {
    const std::string source = JoinPath(sourceFolder, name);
    all = AddImageFolder(source + "\\*.*", ChildImagePath(imagePath, name)) && all;
  }
  return all;
}

bool DiscImage::Rename(const std::string& imagePath, const std::string& newName, bool folder) {
  const ImageItem* item = Find(imagePath);
  if (!item || item->IsFolder != folder || item->ImagePath == "\\" || !IsValidItemName(newName)) return false;
  const std::string oldPath = item->ImagePath;
  const std::string newPath = ChildImagePath(item->Parent, newName);
  const ImageItem* clash = Find(newPath);
  if (clash && clash != item) return false;
  // Re-key the item and everything below it; the parents come first in the events.
  std::vector<ImageItem> moved;
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->second.ImagePath == oldPath || Below(it->second.ImagePath, oldPath)) {
      moved.push_back(std::move(it->second));
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
  for (ImageItem& m : moved) {
    m.OldImagePath = m.ImagePath;
    m.ImagePath = newPath + m.ImagePath.substr(oldPath.size());
    if (m.OldImagePath == oldPath) {
      m.Name = newName;
    } else {
      m.Parent = newPath + m.Parent.substr(oldPath.size());
    }
  }
  std::stable_sort(moved.begin(), moved.end(),
                   [](const ImageItem& a, const ImageItem& b) { return a.ImagePath.size() < b.ImagePath.size(); });
  for (ImageItem& m : moved) events().ItemRenamed(items_.emplace(m.ImagePath, std::move(m)).first->second);
  return true;
}

bool DiscImage::RenameFile(const std::string& imagePath, const std::string& newName) {
  return Rename(imagePath, newName, false);
}

bool DiscImage::RenameFolder(const std::string& imagePath, const std::string& newName) {
  return Rename(imagePath, newName, true);
}

bool DiscImage::RemoveItem(const std::string& imagePath) {
  const ImageItem* item = Find(imagePath);
  if (!item || item->ImagePath == "\\") return false;
  const std::string path = item->ImagePath;
  std::vector<ImageItem> removed;
  for (auto it = items_.begin(); it != items_.end();) {
    if (Below(it->second.ImagePath, path)) {
      removed.push_back(std::move(it->second));
      it = items_.erase(it);
    } else {
      ++it;
    }
  }
  // The deepest first, the item itself last.
  std::stable_sort(removed.begin(), removed.end(),
                   [](const ImageItem& a, const ImageItem& b) { return a.ImagePath.size() > b.ImagePath.size(); });
  const auto self = items_.find(path);
  removed.push_back(std::move(self->second));
  items_.erase(self);
  for (const ImageItem& r : removed) events().ItemRemoved(r);
  return true;
}

void DiscImage::ListFolder(const std::string& imagePath) {
  const ImageItem* folder = Find(imagePath.empty() ? "\\" : imagePath);
  if (!folder || !folder->IsFolder) return;
  const std::string key = folder->ImagePath;
  std::vector<ImageItem> listed;
  for (const auto& [path, item] : items_)
    if (path != "\\" && SameNameNoCase(item.Parent, key)) listed.push_back(item);
  for (const ImageItem& item : listed) events().ItemListed(item);
}

void DiscImage::Clear() {
  items_.clear();
  items_.emplace("\\", RootItem());
  events().ImageCleared();
}

long DiscImage::FileCount() const {
  long n = 0;
  for (const auto& entry : items_) n += entry.second.IsFolder ? 0 : 1;
  return n;
}

long DiscImage::FolderCount() const {
  long n = -1;  // the root
  for (const auto& entry : items_) n += entry.second.IsFolder ? 1 : 0;
  return n;
}

}  // namespace tarvo
