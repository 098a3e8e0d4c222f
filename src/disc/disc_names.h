#pragma once
// Names of image items: what Windows accepts, and the forms each tree of a disc stores.
#include <string>
#include <vector>

namespace tarvo {

// A name Windows would accept for a file or folder: not empty, none of <>:"/\|?* or
// control characters, no trailing dot or blank, not a device name.
bool IsValidItemName(const std::string& name);

// Splits an image path ("\a\b") into its names; false for an empty name or a bad one.
bool SplitImagePath(const std::string& path, std::vector<std::string>& names);
// The ImagePath of a child: parent "\" gives "\name".
std::string ChildImagePath(const std::string& parentPath, const std::string& name);

// ISO 9660 identifiers: d-characters only, "NAME.EXT" within 30 characters for files,
// 31 for folders. `taken` holds the upper-case identifiers already used in the folder; the
// result differs from all of them and is added to it.
std::string IsoFileName(const std::string& name, std::vector<std::string>& taken);
std::string IsoFolderName(const std::string& name, std::vector<std::string>& taken);
// Volume identifier of the ISO tree: at most 32 d-characters.
std::string IsoVolumeName(const std::string& label);

// Joliet identifiers: UTF-16 names of at most kJolietMaxChars units, unique in the folder
// (compared without regard to case, as Windows reads them).
inline constexpr std::size_t kJolietMaxChars = 103;
std::u16string JolietName(const std::string& name, std::vector<std::u16string>& taken);

std::u16string Utf16Of(const std::string& utf8);

}  // namespace tarvo
