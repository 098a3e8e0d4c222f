// Prints what the Office probe answers on this machine, for the script tests:
// "version=<text>" when the automation object was created, "no object" otherwise.
#include <cstdio>

#include "platform/win32/win32_office_probe.h"

int main() {
  tarvo::Win32OfficeProbe probe;
  const auto version = probe.WordVersion();
  if (version)
    std::printf("version=%s\n", version->c_str());
  else
    std::printf("no object\n");
  return 0;
}
