// Rules for image item names and their ISO 9660 and Joliet forms.
#include "disc/disc_names.h"

#include <algorithm>
#include <cctype>

#include "platform/unicode_text.h"

namespace tarvo {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool IsDeviceName(const std::string& name) {
  const std::string base = Upper(name.substr(0, name.find('.')));
  static const char* const devices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* d : devices)
    if (base == d) return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && base[3] >= '1' &&
         base[3] <= '9';
}

// Upper-case d-characters (A-Z, 0-9, _); anything else becomes "_".
std::string DChars(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {  // one "_" per non-ASCII character
      while (i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) ++i;
      out += '_';
    } else if (std::isalnum(c)) {
      out += static_cast<char>(std::toupper(c));
    } else {
      out += '_';
    }
  }
  return out;
}

bool Taken(const std::vector<std::string>& taken, const std::string& name) {
  return std::find(taken.begin(), taken.end(), name) != taken.end();
}

// Makes base + ext unique by replacing the end of base with "~N", keeping within limit.
std::string Unique(std::string base, const std::string& ext, std::size_t limit, std::vector<std::string>& taken) {
  if (base.size() + ext.size() > limit) base.resize(limit - ext.size());
  std::string name = base + ext;
  for (int n = 1; Taken(taken, name); ++n) {
    const std::string tail = "~" + std::to_string(n);
    name = base.substr(0, std::min(base.size(), limit - ext.size() - tail.size())) + tail + ext;
  }
  taken.push_back(name);
  return name;
}

char16_t FoldUnit(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

bool SameNoCase16(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldUnit(a[i]) != FoldUnit(b[i])) return false;
  return true;
}

}  // namespace

std::u16string Utf16Of(const std::string& utf8) { return SplitUtf16(DecodeUtf8(utf8)); }

bool IsValidItemName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || std::string("<>:\"/\\|?*").find(ch) != std::string::npos) return false;
  }
  if (name.back() == '.' || name.back() == ' ') return false;
  return !IsDeviceName(name) && Utf16Of(name).size() <= 255;
}

bool SplitImagePath(const std::string& path, std::vector<std::string>& names) {
  names.clear();
  if (path.empty() || path[0] != '\\') return false;
  if (path == "\\") return true;
  std::size_t start = 1;
  for (;;) {
    const std::size_t end = path.find('\\', start);
    const std::string name = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!IsValidItemName(name)) return false;
    names.push_back(name);
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string ChildImagePath(const std::string& parentPath, const std::string& name) {
  return (parentPath == "\\" ? std::string() : parentPath) + "\\" + name;
}

std::string IsoFileName(const std::string& name, std::vector<std::string>& taken) {
  const std::size_t dot = name.rfind('.');
  std::string base = DChars(name.substr(0, dot));
  std::string ext = dot == std::string::npos ? std::string() : DChars(name.substr(dot + 1)).substr(0, 8);
  if (base.empty() && ext.empty()) base = "_";
  return Unique(base, "." + ext, 30 + 1, taken);  // the dot does not count against 30
}

std::string IsoFolderName(const std::string& name, std::vector<std::string>& taken) {
  std::string base = DChars(name);
  if (base.empty()) base = "_";
  return Unique(base, "", 31, taken);
}

std::string IsoVolumeName(const std::string& label) {
  std::string name = DChars(label);
  if (name.size() > 32) name.resize(32);
  return name;
}

std::u16string JolietName(const std::string& name, std::vector<std::u16string>& taken) {
  std::u16string base = Utf16Of(name);
  std::u16string ext;
  const std::size_t dot = base.rfind(u'.');
  if (base.size() > kJolietMaxChars && dot != std::u16string::npos && base.size() - dot <= 16) {
    ext = base.substr(dot);
    base.resize(dot);
  }
  if (base.size() + ext.size() > kJolietMaxChars) base.resize(kJolietMaxChars - ext.size());
  std::u16string out = base + ext;
  auto used = [&](const std::u16string& n) {
    return std::any_of(taken.begin(), taken.end(), [&](const std::u16string& t) { return SameNoCase16(t, n); });
  };
  for (int n = 1; used(out); ++n) {
    const std::string tail = "~" + std::to_string(n);
    const std::u16string tail16(tail.begin(), tail.end());
    out = base.substr(0, std::min(base.size(), kJolietMaxChars - ext.size() - tail16.size())) + tail16 + ext;
  }
  taken.push_back(out);
  return out;
}

}  // namespace tarvo
