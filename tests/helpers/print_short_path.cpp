// Test helper: prints the short (8.3) form of the path named on its command
// line, as GetShortPathNameA gives it. Exit 1 when there is none.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  char shortPath[MAX_PATH];
  if (argc != 2) {
    return 2;
  }
  const DWORD length = GetShortPathNameA(argv[1], shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return 1;
  }
  std::puts(shortPath);
  return 0;
}
