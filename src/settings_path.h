// Where the settings file lies: beside the executable, named after it.
// Pure logic, free of <windows.h>, so that it also builds and is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "constants.h"

namespace notremovable {

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

// Whether realPath, where the system says an opened file really lies ("\\?\C:\..."
// or "\\?\UNC\server\..."), is the very path it was opened by, but for ASCII
// case: a link, a junction or a drive letter that stands for another place on
// the way makes them differ.
bool IsRealPathOf(const char* realPath, std::size_t realLength, const char* path,
                  std::size_t length);

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
