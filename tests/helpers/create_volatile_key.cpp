// Test helper: creates the key named on its command line under
// HKEY_LOCAL_MACHINE as a volatile key. Exit 0 when it was created.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    return 2;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  RegCloseKey(key);
  return 0;
}
