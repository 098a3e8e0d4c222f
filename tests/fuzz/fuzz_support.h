#pragma once
// What every fuzz target needs: a scratch drive C: in a temporary host folder, a Ui that
// answers nothing, and the input written to a file the core can read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/host_file_system.h"
#include "platform/ui.h"

namespace tarvo::fuzz {

class NullUi : public Ui {
 public:
  int MessageBox(const std::string&, const std::string&, MsgButtons, MsgIcon) override { return kMsgOk; }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest&) override { return std::nullopt; }
  std::string BrowseForFolder(const std::string&, int) override { return {}; }
  void ShowModal(Form&) override {}
  void PumpMessages() override {}
  void SetBusyCursor(bool) override {}
  int PopupMenu(const std::vector<std::string>&) override { return -1; }
};

// C: is a folder of its own under the system's temporary folder, made once per process.
inline HostFileSystem& Drive() {
  static HostFileSystem files = [] {
    static std::string pattern =
        (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) + "/tarvo-fuzz.XXXXXX";
    static const char* dir = mkdtemp(pattern.data());
    if (dir == nullptr) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    });
    return HostFileSystem({{'C', dir}});
  }();
  return files;
}

// The input as the file C:\input.dat.
inline std::string InputFile(const std::uint8_t* data, std::size_t size) {
  const std::string path = "C:\\input.dat";
  if (!Drive().WriteAll(path, std::string(reinterpret_cast<const char*>(data), size))) std::abort();
  return path;
}

}  // namespace tarvo::fuzz
