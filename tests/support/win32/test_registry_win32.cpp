// Under Wine the tests use the real registry of the run's throwaway prefix.
#include <windows.h>

#include <memory>

#include "platform/win32/win32_registry.h"
#include "support/test_registry.h"

namespace tarvo {

std::unique_ptr<RegistryApi> MakeTestRegistry() { return std::make_unique<Win32Registry>(); }

bool RegistryListsValuesByName() {
  // Only Wine's ntdll exports wine_get_version.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace tarvo
