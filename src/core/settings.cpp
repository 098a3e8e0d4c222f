#include "core/settings.h"

#include <cctype>
#include <charconv>
#include <optional>
#include <vector>

#include "platform/codepage.h"
#include "platform/host_file_system.h"
#include "platform/text.h"

namespace tarvo {

namespace {

// The profile-string functions hand over at most 128 characters: the writer takes a
// 128-character buffer, the reader fills one and keeps its last place for the NUL.
constexpr std::size_t kWriteLimit = 128;
constexpr std::size_t kReadLimit = 127;


// One line of the file, kept byte for byte so that a write changes only its own line.
struct Line {
  std::string text;  // without its line end
  std::string end;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const std::size_t nl = bytes.find('\n', pos);
    if (nl == std::string::npos) {
      lines.push_back({bytes.substr(pos), ""});
      break;
    }
    const bool cr = nl > pos && bytes[nl - 1] == '\r';
    lines.push_back({bytes.substr(pos, nl - pos - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
    pos = nl + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<Line>& lines) {
  std::string out;
  for (const auto& l : lines) out += l.text + l.end;
  return out;
}

// The section name of a "[name]" line (up to its last "]"), trimmed.
std::optional<std::string> SectionName(const std::string& text) {
  const std::string t = TrimSpacesAndTabs(text);
  if (t.empty() || t.front() != '[') return std::nullopt;
  const std::size_t close = t.rfind(']');
  if (close == std::string::npos) return std::nullopt;
  return TrimSpacesAndTabs(t.substr(1, close - 1));
}

struct KeyLine {
  std::string key, value;  // both trimmed, still ANSI
};

std::optional<KeyLine> ParseKeyLine(const std::string& text) {
  const std::size_t eq = text.find('=');
  if (eq == std::string::npos || SectionName(text)) return std::nullopt;
  return KeyLine{TrimSpacesAndTabs(text.substr(0, eq)), TrimSpacesAndTabs(text.substr(eq + 1))};
}

bool NameMatches(const std::string& ansiName, const std::string& utf8Name) {
  return SameNameNoCase(AnsiToUtf8(ansiName), utf8Name);
}

// Where a section's lines are: [header, end) with end the next section line or the end.
struct SectionSpan {
  std::size_t header, end;
};

std::optional<SectionSpan> FindSection(const std::vector<Line>& lines, const std::string& section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].text);
    if (!name || !NameMatches(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines.size() && !SectionName(lines[end].text)) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, const SectionSpan& span, const std::string& key) {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const auto kl = ParseKeyLine(lines[i].text);
    if (kl && NameMatches(kl->key, key)) return i;
  }
  return std::nullopt;
}

std::string StripOneQuotePair(const std::string& v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') return v.substr(1, v.size() - 2);
  return v;
}

// The value as the writer receives it: ANSI, cut at a NUL, at most 128 characters.
std::string ValueForWriter(const std::string& utf8) {
  std::string ansi = Utf8ToAnsi(utf8);
  const std::size_t nul = ansi.find('\0');
  if (nul != std::string::npos) ansi.resize(nul);
  if (ansi.size() > kWriteLimit) ansi.resize(kWriteLimit);
  return ansi;
}

// Writes through a work file beside the target, so a failed write leaves the old file.
void SaveSafely(FileSystem& files, const std::string& file, const std::string& bytes) {
  const std::string work = files.CreateTempFile(ParentFolder(file), "set");
  if (!files.FileExists(work)) {
    files.WriteAll(file, bytes);  // folder refuses new files; try the file itself
    return;
  }
  if (!files.WriteAll(work, bytes) || !files.ReplaceFile(work, file)) files.DeleteFile(work);
}

}  // namespace

std::optional<double> ReadsAsNumber(const std::string& text) {
  std::string t = TrimSpacesAndTabs(text);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.erase(0, 1);
  }
  if (t.empty() || !(std::isdigit(static_cast<unsigned char>(t.front())) || t.front() == '.')) return std::nullopt;
  double value = 0;
  const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return negative ? -value : value;
}

std::string ReadSetting(FileSystem& files, const std::string& file, const std::string& section,
                        const std::string& key) {
  const auto bytes = files.ReadAll(file);
  if (!bytes) return "";
  const auto lines = SplitLines(*bytes);
  const auto span = FindSection(lines, section);
  if (!span) return "";
  const auto at = FindKey(lines, *span, key);
  if (!at) return "";
  std::string value = StripOneQuotePair(ParseKeyLine(lines[*at].text)->value);
  const std::size_t nul = value.find('\0');
  if (nul != std::string::npos) value.resize(nul);
  if (value.size() > kReadLimit) value.resize(kReadLimit);
  return TrimSpacesAndTabs(AnsiToUtf8(value));
}

void WriteSetting(FileSystem& files, const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  std::string bytes;
  if (files.FileExists(file)) {
    const auto existing = files.ReadAll(file);
    if (!existing) return;  // never overwrite settings that could not be read
    bytes = *existing;
  }
  auto lines = SplitLines(bytes);
  const std::string entry = Utf8ToAnsi(key) + "=" + ValueForWriter(value);

  if (const auto span = FindSection(lines, section)) {
    if (const auto at = FindKey(lines, *span, key)) {
      // Replace in place, keeping the key as it was written first.
      lines[*at].text = ParseKeyLine(lines[*at].text)->key + "=" + ValueForWriter(value);
    } else {
      // After the section's last non-empty line, before blank lines that part sections.
      std::size_t last = span->end - 1;
      while (last > span->header && TrimSpacesAndTabs(lines[last].text).empty()) --last;
      if (lines[last].end.empty()) lines[last].end = "\r\n";
      lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last + 1), Line{entry, "\r\n"});
    }
  } else {
    if (!lines.empty() && lines.back().end.empty()) lines.back().end = "\r\n";
    std::string header(1, '[');  // built piecewise: GCC 12 warns wrongly on "[" + text
    header += Utf8ToAnsi(section);
    header += ']';
    lines.push_back({header, "\r\n"});
    lines.push_back({entry, "\r\n"});
  }
  SaveSafely(files, file, JoinLines(lines));
}

bool FlagOn(const std::string& stored) {
  const auto number = ReadsAsNumber(stored);
  return !number || *number == 1.0;
}

bool ReadFlag(FileSystem& files, const std::string& settingsFile, const std::string& section, const std::string& key) {
  return FlagOn(ReadSetting(files, settingsFile, section, key));
}

std::string BackupFolderFromSetting(const std::string& stored, const std::string& dataFolder) {
  const std::string folder = TrimSpacesAndTabs(stored);
  if (folder.empty()) return dataFolder;
  const auto number = ReadsAsNumber(folder);
  if (number && *number == 0.0) return dataFolder;
  return stored;
}

bool CloseOutlookForAutoBackup(FileSystem& files, const std::string& settingsFile) {
  const auto number = ReadsAsNumber(ReadSetting(files, settingsFile, "autobackup", kCloseOutlookKey));
  return number && *number == 1.0;
}

int KeepDatedFromSetting(const std::string& stored) {
  const auto number = ReadsAsNumber(stored);
  if (!number || *number < 1 || *number > 9999) return 0;
  return static_cast<int>(*number);
}

}  // namespace tarvo
