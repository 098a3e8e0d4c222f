#include "backup/zip_component.h"

#include <cctype>

#include "backup/zip_component_impl.h"

namespace tarvo {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string FoldedName(const std::string& name) {
  std::string folded = name;
  for (auto& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

const PendingFile* ZipComponent::Impl::FindPending(const std::string& name) const {
  for (const auto& p : pending) {
    if (SameNameIgnoringCase(p.name, name)) return &p;
  }
  return nullptr;
}

ZipComponent::ZipComponent(FileSystem& files) : files_(files), impl_(std::make_unique<Impl>()) {}

ZipComponent::~ZipComponent() = default;

void ZipComponent::CloseArchive() {
  impl_->target.clear();
  impl_->pending.clear();
  impl_->CloseReader();
}

}  // namespace tarvo
