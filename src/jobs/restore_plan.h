#pragma once
// What a restore will do, found and checked before anything of the user's changes: the
// archive entries of every chosen item, where each will land (a folder of the item and
// the entry's own checked name, or a name the restore gives it), and every registry export
// read and parsed.
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "backup/zip_component.h"
#include "core/item_table.h"
#include "registry/reg_export.h"

namespace tarvo {

// Largest registry export and information record a restore reads; real ones are a few
// hundred kilobytes.
inline constexpr std::uint64_t kMaxExportBytes = 32u * 1024 * 1024;

struct PlannedImport {
  ItemId item;
  std::string keyPath;
  ParsedExport parsed;
};

struct PlannedFile {
  ItemId item;
  ZipEntry entry;
  std::string target;  // the folder of the item + the entry's name, or the restore's own name
  std::string staged;  // the work file beside it, once made
};

struct PlannedFolder {
  std::string path;
  bool allLevels = false;  // every missing level may be made, not only the last
};

struct RestorePlan {
  std::vector<ItemId> items;  // in run order
  std::vector<PlannedImport> imports;
  std::vector<PlannedFile> files;     // one per target: a later item's file wins, as it would
  std::unordered_map<std::string, std::size_t> fileAt;  // target (any case) -> its file
  std::vector<std::string> removals;  // files the restore removes (the target's .FAV)
  std::vector<PlannedFolder> folders;  // destination folders, to be made if missing
  std::vector<std::string> branches;  // registry branches the commit may change
  std::string problem;                // why the restore is refused; empty when it may go on

  const PlannedImport* ImportOf(ItemId item) const;
};

}  // namespace tarvo
