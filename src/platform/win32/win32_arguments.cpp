#include "platform/win32/win32_arguments.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/wide.h"

namespace tarvo {

std::vector<std::string> Utf8Arguments() {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(FromWide(argv[i]));
  LocalFree(argv);
  return args;
}

}  // namespace tarvo
