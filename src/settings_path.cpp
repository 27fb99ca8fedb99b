// Settings file path derivation from the executable path.
#include "settings_path.h"

namespace notremovable {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char FoldAsciiCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

bool DeriveSettingsFilePath(const char* exePath, std::size_t length,
                            char (&settingsPath)[kPathFieldSize]) {
  settingsPath[0] = '\0';

  // The file name starts after the last separator. Without one the path names
  // no folder, and a bare name would make the profile reader look elsewhere.
  std::size_t nameStart = 0;
  bool hasFolder = false;
  for (std::size_t i = 0; i < length; ++i) {
    if (exePath[i] == '\0') {
      return false;  // a cut path would name another file
    }
    if (IsSeparator(exePath[i])) {
      nameStart = i + 1;
      hasFolder = true;
    }
  }
  if (!hasFolder || nameStart == length) {
    return false;
  }

  // Keep everything up to the file name's last dot, or all of it when it has none.
  std::size_t stemEnd = length;
  for (std::size_t i = length; i > nameStart; --i) {
    if (exePath[i - 1] == '.') {
      stemEnd = i - 1;
      break;
    }
  }

  const std::size_t extensionLength = sizeof kSettingsExtension - 1;
  if (stemEnd + 1 + extensionLength >= kPathFieldSize) {
    return false;
  }
  std::size_t used = 0;
  for (std::size_t i = 0; i < stemEnd; ++i) {
    settingsPath[used++] = exePath[i];
  }
  settingsPath[used++] = '.';
  for (std::size_t i = 0; i < extensionLength; ++i) {
    settingsPath[used++] = kSettingsExtension[i];
  }
  settingsPath[used] = '\0';
  return true;
}

bool IsInsideFolder(const char* path, std::size_t length, const char* folder,
                    std::size_t folderLength) {
  // The folder's own trailing separator, if any, is matched as the one after it.
  while (folderLength > 0 && IsSeparator(folder[folderLength - 1])) {
    --folderLength;
  }
  if (folderLength == 0 || length <= folderLength + 1 || !IsSeparator(path[folderLength])) {
    return false;
  }
  for (std::size_t i = 0; i < folderLength; ++i) {
    const bool bothSeparators = IsSeparator(path[i]) && IsSeparator(folder[i]);
    if (!bothSeparators && FoldAsciiCase(path[i]) != FoldAsciiCase(folder[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace notremovable
