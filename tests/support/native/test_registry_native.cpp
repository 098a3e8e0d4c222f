#include "support/fake_registry.h"
#include "support/test_registry.h"

namespace tarvo {

std::unique_ptr<RegistryApi> MakeTestRegistry() { return std::make_unique<FakeRegistry>(); }

bool RegistryListsValuesByName() { return false; }

}  // namespace tarvo
