#pragma once
// The tree of items a disc will hold, keyed by image path. Every change raises the
// matching event on the caller's thread before the call returns.
#include <map>
#include <string>
#include <vector>

#include "disc/disc_types.h"
#include "platform/file_system.h"

namespace tarvo {

struct PathLessNoCase {
  bool operator()(const std::string& a, const std::string& b) const;
};
using ImageItems = std::map<std::string, ImageItem, PathLessNoCase>;

// A UDF file entry of one sector holds 234 allocations of just under 1 GiB each.
inline constexpr std::uint64_t kMaxImageFileBytes = 234ULL * 0x3FFFF800ULL;

class DiscImage {
 public:
  explicit DiscImage(FileSystem& files);

  void SetEvents(DiscEvents* events) { events_ = events; }

  bool AddImageFile(const std::string& sourcePath, const std::string& imagePath);
  // sourcePattern is "folder\*.*": the folder's files and subfolders, recursively.
  bool AddImageFolder(const std::string& sourcePattern, const std::string& imagePath);
  bool RenameFile(const std::string& imagePath, const std::string& newName);
  bool RenameFolder(const std::string& imagePath, const std::string& newName);
  bool RemoveItem(const std::string& imagePath);
  void ListFolder(const std::string& imagePath);
  void Clear();
  long FileCount() const;
  long FolderCount() const;  // the root not counted

  // Every item, the root ("\") included; for composing.
  const ImageItems& Items() const { return items_; }
  const ImageItem* Find(const std::string& imagePath) const;

 private:
  DiscEvents& events();
  // The folder at path, created with its missing parents; null when a file is in the way.
  ImageItem* EnsureFolder(const std::vector<std::string>& names, std::int64_t date);
  ImageItem* FindMutable(const std::string& imagePath);
  bool Rename(const std::string& imagePath, const std::string& newName, bool folder);
  bool AddFolderContents(const std::string& sourceFolder, const std::string& imagePath);

  FileSystem& files_;
  DiscEvents* events_ = nullptr;
  ImageItems items_;
};

}  // namespace tarvo
