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

std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}

std::string ZipErrorText(const zip_error_t* error) {
  zip_error_t copy;
  zip_error_init(&copy);
  zip_error_set(&copy, zip_error_code_zip(error), zip_error_code_system(error));
  std::string text = zip_error_strerror(&copy);
  zip_error_fini(&copy);
  return text;
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
