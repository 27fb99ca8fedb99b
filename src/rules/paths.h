// The path rules: where the settings file lies (beside the executable, named
// after it), whether a path lies in a folder, whether an opened file really
// lies where it was named, and what stands at a name that cannot be opened.
#pragma once

#include <cstddef>
#include <cstdint>

namespace notremovable {

// Paths as the module and profile calls deliver them: 255 characters at most.
// The wide path that checks the ANSI one has at most as many characters as the
// ANSI path has bytes, so a field of the same count holds it.
inline constexpr std::size_t kPathFieldSize = 256;
// Where an opened file really lies: "\\?\" or "\\?\UNC\" before a whole path.
inline constexpr std::size_t kRealPathFieldSize = kPathFieldSize + 8;

// The settings file: the executable's own name with this extension, beside it.
inline constexpr char kSettingsExtension[] = "ini";

template <class Char>
constexpr bool IsSeparator(Char c) {
  return c == Char{'\\'} || c == Char{'/'};
}

// Where the file name starts, after the last separator; 0 when the path names
// no file inside a folder (no separator, nothing after it, or a zero: a cut
// path would name another file). A bare name would make the profile reader
// look elsewhere.
template <class Char>
std::size_t FileNameStart(const Char* path, std::size_t length) {
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (path[i] == Char{}) {
      return 0;
    }
    if (IsSeparator(path[i])) {
      nameStart = i + 1;
    }
  }
  return nameStart == length ? 0 : nameStart;
}

// Derives the settings file path from the executable's full path (length
// characters, not counting a terminator): the extension of the file name (from
// its last ".") becomes "ini", and a file name without one gets ".ini"
// appended. Dots in folder names never count, so the file always lies in the
// executable's own folder. Returns false, with the field left empty, when the
// path names no file inside a folder, holds a zero byte, or the result would
// not fit the field.
bool DeriveSettingsFilePath(const char* exePath, std::size_t length,
                            char (&settingsPath)[kPathFieldSize]);

// Whether a path the module and path calls reported (its length, or 0 on
// failure) is whole: they report the field's size or more when they had to cut it.
bool IsWholePath(std::size_t reportedLength);

// Fills the field with the folder the executable lies in (its full path up to
// and with the separator before the file name). Returns false, with the field
// empty, where DeriveSettingsFilePath would refuse the path.
bool DeriveExeFolderPath(const char* exePath, std::size_t length,
                         char (&folderPath)[kPathFieldSize]);

// Whether the path lies in the folder or in a folder below it. Letters are
// compared without regard to ASCII case, as the file system does for the
// system folders' names; the folder may end in a separator or not. A leading
// "\\?\" or "\\.\" (a path handed to the system as it stands) is no part of
// the folder's name, on either side.
bool IsInsideFolder(const char* path, std::size_t length, const char* folder,
                    std::size_t folderLength);

// Under WOW64 the system folder is redirected to the WOW64 system folder, and
// an exe in the latter may have been started as the former. Bits64 is a 32-bit
// build under WOW64; Bits64Native an x86-64 build, which WOW64 never stands
// between and whose reads are never redirected.
enum class WindowsKind : std::uint8_t { Unknown, Bits32, Bits64, Bits64Native };

// Whether realPath, where the system says an opened file really lies ("\\?\C:\..."
// or "\\?\UNC\server\..."), is the very path it was opened by, but for ASCII
// case: a link, a junction or a drive letter that stands for another place on
// the way makes them differ.
bool IsRealPathOf(const char* realPath, std::size_t realLength, const char* path,
                  std::size_t length);

// Where an opened file lies, from what the system reported (the real path's
// length; 0 when it could not tell, the field's size or more when the path
// does not fit): where it was named, elsewhere, or unknown.
enum class Whereabouts : std::uint8_t { AsNamed, Elsewhere, Unknown };
Whereabouts JudgeWhereabouts(const char* realPath, std::size_t reportedLength, const char* path,
                             std::size_t length);

// A path handed to the system as it stands ("\\?\C:\..." or "\\?\UNC\server\..."),
// as the plain path it stands for ("C:\..." or "\\server\..."); any other path
// as it is. Its length, or 0 with the field (of fieldSize characters) empty
// when it does not fit. For 8-bit and for wide paths.
template <class Char>
std::size_t PlainPathOf(const Char* path, std::size_t length, Char* plainPath, std::size_t fieldSize);

// What stands at the settings path, as the probe that opens it finds it.
enum class SettingsFile : std::uint8_t { NotLooked, Missing, Folder, Present, Unreadable, Held, LinkToNothing };

// Why the probe could not open the settings file, and what the folder's
// listing then shows: the name (a link to nothing stands there as a name, a
// folder as a folder), or that the name is not found there.
enum class OpenError : std::uint8_t { Sharing, NotFound, AccessDenied, Other };
struct OpenFailure {
  OpenError error;
  bool nameListed;
  bool listingSaysNotFound;
  bool folderStands;
};
// Only nothing at all at that name, or a folder, lets the default stand.
SettingsFile ClassifyOpenFailure(const OpenFailure& failure);

}  // namespace notremovable
