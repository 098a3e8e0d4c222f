// A stand-in process for the Wine tests: it only waits, so a test can copy it under a
// name such as OUTLOOK.EXE and watch whether the program under test ends it.
#include <windows.h>

int main() {
  Sleep(120 * 1000);
  return 0;
}
