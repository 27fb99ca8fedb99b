// Settings file path derivation from the executable path, the folder rules,
// and where an opened file really lies.
#include "rules/paths.h"

#include "rules/text.h"

namespace notremovable {
namespace {

// The length of the "\\?\" or "\\.\" that the path starts with, or 0.
template <class Char>
std::size_t VerbatimPrefixLength(const Char* path, std::size_t length) {
  const bool hasPrefix = length >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
                         (path[2] == Char{'?'} || path[2] == Char{'.'}) && IsSeparator(path[3]);
  return hasPrefix ? 4 : 0;
}

// Whether the two texts hold the same letters, but for ASCII case and the kind of separator.
template <class Char>
bool SameLetters(const Char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const bool bothSeparators = IsSeparator(a[i]) && IsSeparator(b[i]);
    if (!bothSeparators && FoldAsciiCase(a[i]) != static_cast<Char>(FoldAsciiCase(b[i]))) {
      return false;
    }
  }
  return true;
}

// Skips "\\?\" or "\\.\", and the "UNC\" after it or the "\\" of a share's
// path, so that both ways of writing a path compare; says whether it names a share.
template <class Char>
const Char* PlainPath(const Char* path, std::size_t& length, bool& share) {
  const std::size_t prefix = VerbatimPrefixLength(path, length);
  path += prefix;
  length -= prefix;
  std::size_t shareStart = 0;
  if (prefix > 0 && length >= 4 && SameLetters(path, "UNC\\", 4)) {
    shareStart = 4;
  } else if (prefix == 0 && length >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    shareStart = 2;
  }
  share = shareStart > 0;
  length -= shareStart;
  return path + shareStart;
}

}  // namespace

bool IsWholePath(std::size_t reportedLength) {
  return reportedLength != 0 && reportedLength < kPathFieldSize;
}

bool DeriveSettingsFilePath(const char* exePath, std::size_t length,
                            char (&settingsPath)[kPathFieldSize]) {
  settingsPath[0] = '\0';
  const std::size_t nameStart = FileNameStart(exePath, length);
  if (nameStart == 0) {
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

bool DeriveExeFolderPath(const char* exePath, std::size_t length,
                         char (&folderPath)[kPathFieldSize]) {
  folderPath[0] = '\0';
  const std::size_t nameStart = FileNameStart(exePath, length);
  if (nameStart == 0 || nameStart >= kPathFieldSize) {
    return false;
  }
  for (std::size_t i = 0; i < nameStart; ++i) {
    folderPath[i] = exePath[i];
  }
  folderPath[nameStart] = '\0';
  return true;
}

bool IsInsideFolder(const char* path, std::size_t length, const char* folder,
                    std::size_t folderLength) {
  const std::size_t pathPrefix = VerbatimPrefixLength(path, length);
  path += pathPrefix;
  length -= pathPrefix;
  const std::size_t folderPrefix = VerbatimPrefixLength(folder, folderLength);
  folder += folderPrefix;
  folderLength -= folderPrefix;
  // The folder's own trailing separator, if any, is matched as the one after it.
  while (folderLength > 0 && IsSeparator(folder[folderLength - 1])) {
    --folderLength;
  }
  if (folderLength == 0 || length <= folderLength + 1 || !IsSeparator(path[folderLength])) {
    return false;
  }
  return SameLetters(path, folder, folderLength);
}

bool IsRealPathOf(const char* realPath, std::size_t realLength, const char* path,
                  std::size_t length) {
  bool realShare = false;
  bool share = false;
  realPath = PlainPath(realPath, realLength, realShare);
  path = PlainPath(path, length, share);
  return realShare == share && realLength == length && length > 0 &&
         SameLetters(realPath, path, length);
}

Whereabouts JudgeWhereabouts(const char* realPath, std::size_t reportedLength, const char* path,
                             std::size_t length) {
  if (reportedLength == 0) {
    return Whereabouts::Unknown;
  }
  // A real path longer than any path the program names is not the one it named.
  return reportedLength < kRealPathFieldSize && IsRealPathOf(realPath, reportedLength, path, length)
             ? Whereabouts::AsNamed
             : Whereabouts::Elsewhere;
}

template <class Char>
std::size_t PlainPathOf(const Char* path, std::size_t length, Char* plainPath, std::size_t fieldSize) {
  bool share = false;
  const Char* const plain = PlainPath(path, length, share);
  // A share's path starts with the "\\" before its server.
  const std::size_t start = share ? 2 : 0;
  plainPath[0] = Char{};
  if (start + length >= fieldSize) {
    return 0;
  }
  plainPath[0] = plainPath[1] = Char{'\\'};
  for (std::size_t i = 0; i < length; ++i) {
    plainPath[start + i] = plain[i];
  }
  plainPath[start + length] = Char{};
  return start + length;
}
template std::size_t PlainPathOf<char>(const char*, std::size_t, char*, std::size_t);
template std::size_t PlainPathOf<wchar_t>(const wchar_t*, std::size_t, wchar_t*, std::size_t);

SettingsFile ClassifyOpenFailure(const OpenFailure& failure) {
  switch (failure.error) {
    case OpenError::Sharing:
      return SettingsFile::Held;
    case OpenError::NotFound:
      // The open follows a link; the listing shows the name itself.
      return !failure.nameListed && failure.listingSaysNotFound ? SettingsFile::Missing
                                                                : SettingsFile::LinkToNothing;
    case OpenError::AccessDenied:
      // A folder cannot be opened as a file: access denied, like an unreadable file.
      return failure.nameListed && failure.folderStands ? SettingsFile::Folder
                                                        : SettingsFile::Unreadable;
    default:
      return SettingsFile::Unreadable;
  }
}

}  // namespace notremovable
