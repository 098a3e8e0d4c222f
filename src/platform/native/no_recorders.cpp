#include "platform/recorder_api.h"

namespace tarvo {

namespace {

// No burning service off Windows: the engine lists only its image-file drive.
class NoRecorders : public RecorderApi {
 public:
  int Count() override { return 0; }
  std::optional<RecorderInfo> Info(int) override { return std::nullopt; }
  RecorderMediaState Media(int) override { return {}; }
  bool Eject(int) override { return false; }
  bool CloseTray(int) override { return false; }
  RecorderResult Write(int, std::uint64_t, std::uint32_t, bool, const RecorderSource&,
                       const RecorderProgressFn&) override {
    return {};
  }
  RecorderResult Erase(int, bool, const RecorderProgressFn&) override { return {}; }
  std::unique_ptr<FileReader> OpenDisc(int) override { return nullptr; }
};

}  // namespace

std::unique_ptr<RecorderApi> MakeRecorderApi() { return std::make_unique<NoRecorders>(); }

}  // namespace tarvo
