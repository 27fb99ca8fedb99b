// Fuzzes the settings path derivation with any executable path of 0 to 300
// bytes: a derived path lies in the executable's own folder and ends in
// ".ini", or the derivation says it cannot be made.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings_path.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notremovable;
  if (size > 300) {
    return 0;
  }
  const char* exePath = reinterpret_cast<const char*>(data);

  char settingsPath[kPathFieldSize];
  std::memset(settingsPath, 0x7f, sizeof settingsPath);
  const bool made = DeriveSettingsFilePath(exePath, size, settingsPath);
  Require(std::memchr(settingsPath, '\0', sizeof settingsPath) != nullptr);

  // The folder is the path up to its last separator; the file name follows it.
  std::size_t folderLength = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (IsSeparator(exePath[i])) {
      folderLength = i + 1;
    }
  }
  const bool hasZeroByte = std::memchr(exePath, '\0', size) != nullptr;

  if (!made) {
    Require(settingsPath[0] == '\0');
    // Refusing is right only without a folder or a file name, with a zero
    // byte inside, or when even appending ".ini" would not fit.
    Require(folderLength == 0 || folderLength == size || hasZeroByte || size + 4 > 255);
    return 0;
  }

  const std::size_t length = std::strlen(settingsPath);
  Require(!hasZeroByte && folderLength > 0);
  Require(length >= folderLength + 4 && length <= kPathFieldSize - 1);
  Require(std::memcmp(settingsPath, exePath, folderLength) == 0);
  for (std::size_t i = folderLength; i < length; ++i) {
    Require(!IsSeparator(settingsPath[i]));
  }
  Require(std::strcmp(settingsPath + length - 4, ".ini") == 0);
  // The name before ".ini" is the executable's own file name, or its start.
  Require(std::memcmp(settingsPath + folderLength, exePath + folderLength, length - 4 - folderLength) == 0);
  return 0;
}
