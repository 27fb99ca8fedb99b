// Fuzzes the settings path derivation with any executable path of 0 to 600
// bytes: a derived path lies in the executable's own folder and ends in
// ".ini", or the derivation says it cannot be made. A zero byte splits off a
// folder to test the folder comparison with: an exe refused for lying in a
// folder has its settings file there too, and a name put in a folder lies in
// it however its ASCII letters are cased.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rules/paths.h"

namespace {

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char FlipAsciiCase(char c) {
  if (c >= 'a' && c <= 'z') {
    return static_cast<char>(c - 'a' + 'A');
  }
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A path without the "\\?\" or "\\.\" it may start with, which names no folder.
std::string WithoutVerbatimPrefix(const std::string& path) {
  const bool prefixed = path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                        (path[2] == '?' || path[2] == '.') && IsSeparator(path[3]);
  return prefixed ? path.substr(4) : path;
}

// The input as FOLDER, a zero byte, and a PATH.
void CheckFolderComparison(const char* data, std::size_t size) {
  using namespace notremovable;
  const char* split = static_cast<const char*>(std::memchr(data, '\0', size));
  if (split == nullptr) {
    return;
  }
  const std::string givenFolder(data, split);
  const std::string givenPath(split + 1, data + size);
  const std::string folder = WithoutVerbatimPrefix(givenFolder);
  const std::string path = WithoutVerbatimPrefix(givenPath);
  std::size_t folderEnd = folder.size();
  while (folderEnd > 0 && IsSeparator(folder[folderEnd - 1])) {
    --folderEnd;
  }

  const bool inside =
      IsInsideFolder(givenPath.data(), givenPath.size(), givenFolder.data(), givenFolder.size());
  if (inside) {
    Require(path.size() > folderEnd + 1 && IsSeparator(path[folderEnd]));
    char settingsPath[kPathFieldSize];
    if (DeriveSettingsFilePath(givenPath.data(), givenPath.size(), settingsPath)) {
      Require(IsInsideFolder(settingsPath, std::strlen(settingsPath), givenFolder.data(),
                             givenFolder.size()));
    }
  }

  // Any name put in the folder lies in it, however the folder's letters are
  // cased (unless the two together start like a prefix).
  if (folderEnd > 0 && !path.empty()) {
    std::string flipped = folder.substr(0, folderEnd);
    for (char& c : flipped) {
      c = FlipAsciiCase(c);
    }
    const std::string named = flipped + "\\" + path;
    if (WithoutVerbatimPrefix(named) == named) {
      Require(IsInsideFolder(named.data(), named.size(), folder.data(), folder.size()));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace notremovable;
  if (size > 600) {
    return 0;
  }
  const char* exePath = reinterpret_cast<const char*>(data);
  CheckFolderComparison(exePath, size);

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
