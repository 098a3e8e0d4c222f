#include "registry/reg_export.h"

#include <cstring>

#include "platform/codepage.h"

namespace tarvo {
namespace {

std::string StringData(const std::vector<std::uint8_t>& data) {
  if (data.empty()) return {};
  const std::string text(data.begin(), data.end() - 1);  // without the terminator
  return text.substr(0, text.find('\0'));
}

std::string BinaryData(const std::vector<std::uint8_t>& data) {
  std::string text;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i > 0) text += ',';
    text += std::to_string(data[i]);
  }
  return text;
}

std::string DwordData(const std::vector<std::uint8_t>& data) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4 && i < data.size(); ++i) bits |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  std::int32_t value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return std::to_string(value);
}

// The line of one value, or empty for the types the format leaves out.
std::string ValueLine(const RegValue& value) {
  std::string field;
  std::string data;
  switch (value.type) {
    case kRegSz:
      field = " sz";
      data = StringData(value.data);
      break;
    case kRegExpandSz:
      field = "esz";
      data = StringData(value.data);
      break;
    case kRegBinary:
      field = "bin";
      data = BinaryData(value.data);
      break;
    case kRegDword:
      field = " dw";
      data = DwordData(value.data);
      break;
    default:
      return {};
  }
  return "\"" + value.name + "\"=" + field + ":" + data + "\r\n";
}

}  // namespace

bool ExportKey(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& relativePath,
               const std::string& filePath) {
  if (relativePath.empty() && files.FileExists(filePath) && !files.DeleteFile(filePath)) return false;
  const std::string keyLine = relativePath.empty() ? "\\" : relativePath;
  if (!files.Append(filePath, Utf8ToAnsi(keyLine) + "\r\n")) return false;
  if (!ExportValues(reg, files, keyPath, filePath)) return false;
  for (const auto& name : reg.EnumSubKeys(keyPath))
    if (!ExportKey(reg, files, keyPath + "\\" + name, relativePath + "\\" + name, filePath)) return false;
  return true;
}

bool ExportValues(ModReg& reg, FileSystem& files, const std::string& keyPath, const std::string& filePath) {
  const auto values = reg.EnumValues(keyPath);
  if (!values) return true;
  std::string lines;
  for (const auto& value : *values) lines += ValueLine(value);
  return lines.empty() || files.Append(filePath, Utf8ToAnsi(lines));
}

}  // namespace tarvo
