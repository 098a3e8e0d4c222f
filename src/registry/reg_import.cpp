// Import reads and checks the whole file before it touches the registry, so a truncated
// or damaged export cannot leave the user's branch deleted and half rebuilt.
#include <charconv>
#include <cstdint>
#include <optional>
#include <cstring>

#include "platform/codepage.h"
#include "platform/text.h"
#include "registry/reg_export.h"

namespace tarvo {
namespace {

// Lines up to the end of the file or the first empty line; CR LF or LF ends a line.
std::vector<std::string> ReadLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    auto end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) break;
    lines.push_back(std::move(line));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}


bool ParseNumber(const std::string& text, long long low, long long high, long long* out) {
  std::string digits = TrimSpaces(text);
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  if (digits.empty()) return false;
  const char* end = digits.data() + digits.size();
  const auto parsed = std::from_chars(digits.data(), end, *out);
  return parsed.ec == std::errc() && parsed.ptr == end && *out >= low && *out <= high;
}

bool ParseBinary(const std::string& text, std::vector<std::uint8_t>* bytes) {
  if (text.empty()) return true;
  std::size_t start = 0;
  while (true) {
    const auto comma = text.find(',', start);
    long long value = 0;
    if (!ParseNumber(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), 0, 255,
                     &value))
      return false;
    bytes->push_back(static_cast<std::uint8_t>(value));
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// Fills step from a value line; false when the line is malformed. An unknown type
// leaves step.type at 0, a step that writes nothing.
bool ParseValueLine(const std::string& line, ImportStep* step) {
  const auto eq = line.find('=');
  if (eq == std::string::npos || eq < 2) return false;  // no room for the quoted name
  step->name = line.substr(1, eq - 2);
  if (step->name.find('\0') != std::string::npos) return false;  // nor does a value name
  const std::string type = TrimSpaces(line.substr(eq + 1, 3));
  const std::string data = eq + 5 <= line.size() ? line.substr(eq + 5) : std::string();
  if (type == "sz" || type == "esz") {
    step->type = type == "sz" ? kRegSz : kRegExpandSz;
    step->data.assign(data.begin(), data.end());
    step->data.push_back(0);
  } else if (type == "dw") {
    long long value = 0;
    if (!ParseNumber(data, INT32_MIN, INT32_MAX, &value)) return false;
    const auto bits = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    for (int i = 0; i < 4; ++i) step->data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    step->type = kRegDword;
  } else if (type == "bin") {
    if (!ParseBinary(data, &step->data)) return false;
    step->type = kRegBinary;
  }
  return true;
}

}  // namespace

std::optional<ParsedExport> ParseExportText(const std::string& text) {
  ParsedExport parsed;
  std::string current;
  bool anyKey = false;
  for (const auto& line : ReadLines(text)) {
    ImportStep step;
    if (line[0] == '\\' && line.find('\0') != std::string::npos) return std::nullopt;  // no key name holds a NUL
    if (line[0] == '\\' && !(anyKey && line == current)) {
      current = line;
      anyKey = true;
      step.isKey = true;
      step.keyPath = line;
    } else if (!ParseValueLine(line, &step)) {
      return std::nullopt;
    }
    parsed.steps.push_back(std::move(step));
  }
  return parsed;
}

bool ApplyExport(ModReg& reg, const std::string& baseKeyPath, const ParsedExport& parsed) {
  std::string subkey = baseKeyPath;  // a malformed base is reported once, up front
  if (reg.ParseKeyPath(subkey) == 0) return false;
  RegistryApi& api = reg.api();
  bool ok = true;
  RegKey open = 0;
  for (const auto& step : parsed.steps) {
    if (step.isKey) {
      if (open != 0) api.CloseKey(open);
      // The line "\" is the exported key itself: the branch is replaced as a whole.
      if (step.keyPath == "\\") {
        reg.DeleteKeyTree(baseKeyPath);
        if (reg.KeyExists(baseKeyPath)) ok = false;  // the old branch would mix in
        open = reg.CreateKey(baseKeyPath);
      } else {
        open = reg.CreateKey(baseKeyPath + step.keyPath);
      }
      if (open == 0) ok = false;
    } else if (open != 0 && step.type != 0) {
      if (api.SetValue(open, step.name, step.type, step.data.empty() ? nullptr : step.data.data(),
                       static_cast<std::uint32_t>(step.data.size())) != kErrorSuccess)
        ok = false;
    }
  }
  if (open != 0) api.CloseKey(open);
  return ok;
}

bool ImportKey(ModReg& reg, FileSystem& files, const std::string& baseKeyPath, const std::string& filePath) {
  std::string subkey = baseKeyPath;
  if (reg.ParseKeyPath(subkey) == 0) return false;
  const auto bytes = files.ReadAll(filePath);
  if (!bytes) return false;
  const auto parsed = ParseExportText(AnsiToUtf8(*bytes));
  return parsed && ApplyExport(reg, baseKeyPath, *parsed);
}

}  // namespace tarvo
