#include <algorithm>
#include <cctype>

#include "support/test_registry.h"

namespace tarvo {

std::vector<std::string> ListedValueOrder(std::vector<std::string> names) {
  if (!RegistryListsValuesByName()) return names;
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
    });
  });
  return names;
}

}  // namespace tarvo
