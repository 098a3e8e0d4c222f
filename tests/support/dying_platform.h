#pragma once
// A registry and a file system that die like a killed process: after a set number of
// changes the next change throws Killed, which no code of the program catches, so the run
// stops there with everything as it was at that moment.
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "support/forwarding_registry.h"

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

class DyingRegistry : public ForwardingRegistry {
 public:
  DyingRegistry(RegistryApi& inner, KillCountdown& countdown) : ForwardingRegistry(inner), kill_(countdown) {}
  long CreateKey(RegKey p, const std::string& s, RegKey* r) override { return kill_.Tick(), in.CreateKey(p, s, r); }
  long SetValue(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return kill_.Tick(), in.SetValue(k, n, t, d, s);
  }
  long SetValueRaw(RegKey k, const std::string& n, std::uint32_t t, const std::uint8_t* d, std::uint32_t s) override {
    return kill_.Tick(), in.SetValueRaw(k, n, t, d, s);
  }
  long DeleteKey(RegKey k, const std::string& s) override { return kill_.Tick(), in.DeleteKey(k, s); }
  long DeleteValue(RegKey k, const std::string& n) override { return kill_.Tick(), in.DeleteValue(k, n); }

 private:
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
