#include "core/record.h"

#include "platform/codepage.h"
#include "platform/host_file_system.h"

namespace tarvo {

std::string GetINI(FileSystem& files, const std::string& key, const std::string& file) {
  const auto bytes = files.ReadAll(file);
  if (!bytes) throw RecordError("cannot read " + file);
  const std::string text = AnsiToUtf8(*bytes);
  std::size_t pos = 0;
  // The reader tests for the end of a line before each line, so an empty line ends the
  // scan just as the end of the file does.
  while (pos < text.size() && text[pos] != '\n' && text.compare(pos, 2, "\r\n") != 0) {
    std::size_t nl = text.find('\n', pos);
    if (nl == std::string::npos) nl = text.size();
    std::string line = text.substr(pos, nl - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = nl + 1;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (SameNameNoCase(line.substr(0, eq), key)) return line.substr(eq + 1);
  }
  return "";
}

void SaveINI(FileSystem& files, const std::string& key, const std::string& value, const std::string& file) {
  if (!files.Append(file, Utf8ToAnsi(key + "=" + value) + "\r\n")) throw RecordError("cannot append to " + file);
}

std::string sGetTempFile(FileSystem& files, const std::string& folder, const std::string& prefix) {
  return files.CreateTempFile(folder, prefix);
}

bool AppendLogLine(FileSystem& files, const std::string& file, const std::string& text) {
  return files.Append(file, Utf8ToAnsi(text) + "\r\n");
}

}  // namespace tarvo
