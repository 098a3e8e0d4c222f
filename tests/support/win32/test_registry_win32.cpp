// Under Wine the tests use the real registry of the run's throwaway prefix.
#include <memory>

#include "platform/win32/win32_registry.h"
#include "support/test_registry.h"

namespace tarvo {

std::unique_ptr<RegistryApi> MakeTestRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace tarvo
