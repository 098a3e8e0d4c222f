#include "outlook/unprotected_data.h"

#include <cstdint>
#include <set>

#include "outlook/outlook_env.h"
#include "outlook/outlook_folders.h"
#include "platform/codepage.h"
#include "platform/host_file_system.h"
#include "platform/text.h"
#include "platform/unicode_text.h"

namespace tarvo {
namespace {

// A cached server mailbox names its OST as a plain path with its NUL, in UTF-16
// ("001f6610") or in the ANSI code page ("001e6610").
std::string OfflineStorePath(ModReg& reg, const std::string& section) {
  const auto values = reg.EnumValues(section);
  if (!values) return {};
  for (const RegValue& v : *values) {
    if (SameNameNoCase(v.name, "001f6610")) {
      std::u16string units;
      for (std::size_t i = 0; i + 1 < v.data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
      }
      return EncodeUtf8(JoinUtf16(units));
    }
    if (SameNameNoCase(v.name, "001e6610")) {
      std::string bytes;
      for (std::uint8_t b : v.data) {
        if (b == 0) break;
        bytes += static_cast<char>(b);
      }
      return AnsiToUtf8(bytes);
    }
  }
  return {};
}

// The data file a service section names: the offline store of a cached mailbox (whose
// entry ID names a server, not a file), else the path in the store's entry ID, as the
// data file collector reads it.
std::string SectionDataFile(ModReg& reg, const std::string& section) {
  const std::string offline = OfflineStorePath(reg, section);
  if (!offline.empty()) return offline;
  std::string path = reg.GetWidePathFromBinary(section, "01020fff");
  if (path == kRegError) path = reg.GetNarrowPathFromBinary(section, "01020fff");
  return path == kRegError ? std::string() : path;
}

bool HasExtension(const std::string& path, const char* dotExt) {
  const std::string upper = UpperAscii(path), ext = UpperAscii(dotExt);
  return upper.size() > ext.size() && upper.compare(upper.size() - ext.size(), ext.size(), ext) == 0;
}

// The key under which two spellings of one file compare equal: case, doubled separators
// and a short last component (its stored long name) do not count.
std::string FileKey(FileSystem& files, const std::string& path) {
  const std::string single = CollapseBackslashRuns(path);
  const std::string name = files.StoredName(single).value_or(BareName(single));
  return UpperName(JoinPath(ParentFolder(single), name));
}

void AddListed(std::vector<std::string>& listed, std::size_t& more, const std::string& path) {
  if (listed.size() < kMaxListedFiles)
    listed.push_back(path);
  else
    ++more;
}

// "Documents" as the user's shell folders name it (it may be moved elsewhere); empty
// when neither key says.
std::string DocumentsFolder(ModReg& reg, SystemInfo& system, const NoteKeys& keys) {
  std::string folder = reg.GetStringValue(keys.userShellFolders, "Personal");
  if (folder == kRegError || folder.empty()) folder = reg.GetStringValue(keys.shellFolders, "Personal");
  if (folder == kRegError || folder.empty()) return {};
  folder = system.ExpandEnvironment(folder);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

std::vector<std::string> ProfileDataFilePaths(ModReg& reg, const std::string& profileKey) {
  std::vector<std::string> paths;
  for (const std::string& section : reg.EnumSubKeys(profileKey)) {
    const std::string path = SectionDataFile(reg, profileKey + "\\" + section);
    if (!path.empty()) paths.push_back(path);
  }
  return paths;
}

std::vector<std::string> UsualPstFolders(ModReg& reg, SystemInfo& system, const OutlookEnv& env,
                                         const NoteKeys& keys) {
  const std::string defaultDocuments =
      env.UserProfilePath + (UsesAppDataLayout(env.WinVersion) ? "\\Documents" : "\\My Documents");
  std::vector<std::string> folders{LocalOutlookFolder(env)};
  for (const std::string& documents : {DocumentsFolder(reg, system, keys), defaultDocuments}) {
    if (documents.empty()) continue;
    const std::string folder = JoinPath(documents, "Outlook Files");
    bool known = false;
    for (const std::string& f : folders) known = known || SameNameNoCase(f, folder);
    if (!known) folders.push_back(folder);
  }
  return folders;
}

bool NewOutlookInUse(ModReg& reg, const std::string& preferencesKey) {
  const auto values = reg.EnumValues(preferencesKey);
  if (!values) return false;
  for (const RegValue& v : *values) {
    if (!SameNameNoCase(v.name, kNewOutlookValue)) continue;
    // A DWORD is four bytes, low byte first.
    return v.type == kRegDword && v.data.size() == 4 && v.data[0] == 1 && v.data[1] == 0 && v.data[2] == 0 &&
           v.data[3] == 0;
  }
  return false;
}

UnprotectedData FindUnprotectedData(ModReg& reg, FileSystem& files, SystemInfo& system, const OutlookEnv& env,
                                    const std::string& profile, bool dataFilesChosen, const NoteKeys& keys) {
  UnprotectedData found;
  found.newOutlook = NewOutlookInUse(reg, keys.newOutlook);
  if (!dataFilesChosen || profile.empty()) return found;
  std::set<std::string> attached;
  for (const std::string& path : ProfileDataFilePaths(reg, ProfileKeyFor(env, profile))) {
    attached.insert(FileKey(files, path));
    if (HasExtension(path, ".ost")) AddListed(found.offlineFiles, found.moreOfflineFiles, path);
  }
  std::set<std::string> seen;
  for (const std::string& folder : UsualPstFolders(reg, system, env, keys)) {
    const auto names = files.ListFiles(folder);
    if (!names) continue;
    for (const std::string& name : *names) {
      if (!HasExtension(name, ".pst")) continue;
      const std::string path = JoinPath(folder, name);
      const std::string key = FileKey(files, path);
      if (attached.count(key) || !seen.insert(key).second) continue;
      AddListed(found.unattachedPsts, found.moreUnattachedPsts, path);
    }
  }
  return found;
}

std::vector<std::string> UnprotectedDataNotes(const UnprotectedData& found) {
  std::vector<std::string> notes;
  if (found.newOutlook)
    notes.push_back("The new Outlook is in use on this PC (UseNewOutlook is on). It keeps no mail in the Outlook "
                    "profile, so this backup does not hold the mail the new Outlook shows.");
  for (const std::string& path : found.offlineFiles)
    notes.push_back(path + " is an offline copy (OST) of a mailbox on the mail server. The mail is kept on the "
                    "server; an OST cannot be opened on another PC, so restore the account and let Outlook "
                    "download the mail again.");
  if (found.moreOfflineFiles)
    notes.push_back("And " + Plural(found.moreOfflineFiles, "more OST file", "more OST files") + " of this profile.");
  for (const std::string& path : found.unattachedPsts)
    notes.push_back(path + " is a PST data file that is not attached to this profile, so it is not in this "
                    "backup.");
  if (found.moreUnattachedPsts)
    notes.push_back("And " + Plural(found.moreUnattachedPsts, "more PST file", "more PST files") +
                    " in Outlook's folders that are not attached to this profile.");
  return notes;
}

}  // namespace tarvo
