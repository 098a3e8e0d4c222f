#pragma once
// The registry the tests run against: the registry double natively, the real registry
// (of the throwaway Wine prefix) in the Windows build.
#include <memory>

#include "platform/registry_api.h"

namespace tarvo {

std::unique_ptr<RegistryApi> MakeTestRegistry();

}  // namespace tarvo
