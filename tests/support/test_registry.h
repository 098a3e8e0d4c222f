#pragma once
// The registry the tests run against: the registry double natively, the real registry
// (of the throwaway Wine prefix) in the Windows build.
#include <memory>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace tarvo {

std::unique_ptr<RegistryApi> MakeTestRegistry();

// Windows (and the double) list a key's values in creation order; Wine keeps them sorted
// by name. Tests that look at value order ask for the order of the registry under test.
bool RegistryListsValuesByName();
std::vector<std::string> ListedValueOrder(std::vector<std::string> creationOrder);

}  // namespace tarvo
