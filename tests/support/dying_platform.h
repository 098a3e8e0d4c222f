#pragma once
// A registry and a file system that die like a killed process: after a set number of
// changes the next change throws Killed, which no code of the program catches, so the run
// stops there with everything as it was at that moment.
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/registry_api.h"

namespace tarvo {

struct Killed {};

// Changes left before the kill; negative: never.
struct KillCountdown {
  int left = -1;
  void Tick() {
    if (left == 0) throw Killed{};
    if (left > 0) --left;
  }
};

class DyingRegistry : public RegistryApi {
 public:
  DyingRegistry(RegistryApi& inner, KillCountdown& countdown) : in_(inner), kill_(countdown) {}
  long OpenKey(RegKey p, const std::string& s, std::uint32_t a, RegKey* r) override { return in_.OpenKey(p, s, a, r); }
  long CreateKey(RegKey p, const std::string& s, RegKey* r) override { return kill_.Tick(), in_.CreateKey(p, s, r); }
  long CloseKey(RegKey k) override { return in_.CloseKey(k); }
  long EnumKey(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n) override { return in_.EnumKey(k, i, c, n); }
  long EnumValue(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n, std::uint32_t* t, std::uint8_t* d,
                 std::uint32_t* s) override {
    return in_.EnumValue(k, i, c, n, t, d, s);
  }
  long EnumValueRaw(RegKey k, std::uint32_t i, std::uint32_t c, std::string* n, std::uint32_t* t, std::uint8_t* d,
                    std::uint32_t* s) override {
    return in_.EnumValueRaw(k, i, c, n, t, d, s);
  }
  long QueryValue(RegKey k, const std::string& n, std::uint32_t* t, std::uint8_t* d, std::uint32_t* s) override {
    return in_.QueryValue(k, n, t, d, s);
  }
  long SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return kill_.Tick(), in_.SetValue(k, n, t, d, s);
  }
  long SetValueRaw(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return kill_.Tick(), in_.SetValueRaw(k, n, t, d, s);
  }
  long DeleteKey(RegKey k, const std::string& s) override { return kill_.Tick(), in_.DeleteKey(k, s); }
  long DeleteValue(RegKey k, const std::string& n) override { return kill_.Tick(), in_.DeleteValue(k, n); }

 private:
  RegistryApi& in_;
  KillCountdown& kill_;
};

// Log lines are not counted: losing one changes nothing the restore owns.
class DyingFiles : public FileSystem {
 public:
  DyingFiles(FileSystem& inner, KillCountdown& countdown) : in_(inner), kill_(countdown) {}
  bool FileExists(const std::string& p) override { return in_.FileExists(p); }
  bool FolderExists(const std::string& p) override { return in_.FolderExists(p); }
  std::optional<std::vector<std::string>> ListFiles(const std::string& f) override { return in_.ListFiles(f); }
  std::optional<std::string> StoredName(const std::string& p) override { return in_.StoredName(p); }
  std::optional<std::uint64_t> FileSize(const std::string& p) override { return in_.FileSize(p); }
  bool CreateFolder(const std::string& p) override { return kill_.Tick(), in_.CreateFolder(p); }
  bool DeleteFile(const std::string& p) override { return kill_.Tick(), in_.DeleteFile(p); }
  bool RenameFile(const std::string& a, const std::string& b) override { return kill_.Tick(), in_.RenameFile(a, b); }
  bool ReplaceFile(const std::string& a, const std::string& b) override { return kill_.Tick(), in_.ReplaceFile(a, b); }
  bool SetNormalAttributes(const std::string& p) override { return kill_.Tick(), in_.SetNormalAttributes(p); }
  std::optional<std::string> ReadAll(const std::string& p) override { return in_.ReadAll(p); }
  bool WriteAll(const std::string& p, const std::string& b) override { return kill_.Tick(), in_.WriteAll(p, b); }
  bool Append(const std::string& p, const std::string& b) override { return in_.Append(p, b); }
  std::string CreateTempFile(const std::string& f, const std::string& p) override {
    return kill_.Tick(), in_.CreateTempFile(f, p);
  }
  std::string NativePath(const std::string& p) override { return in_.NativePath(p); }
  std::optional<std::vector<std::string>> ListFolders(const std::string& f) override { return in_.ListFolders(f); }
  std::optional<std::uint64_t> FreeSpace(const std::string& f) override { return in_.FreeSpace(f); }
  std::unique_ptr<FileReader> OpenRead(const std::string& p) override { return in_.OpenRead(p); }
  bool RemoveEmptyFolder(const std::string& p) override { return kill_.Tick(), in_.RemoveEmptyFolder(p); }

 private:
  FileSystem& in_;
  KillCountdown& kill_;
};

}  // namespace tarvo
