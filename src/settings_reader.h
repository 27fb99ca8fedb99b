// Reads the hardware ID from the settings file beside the executable, and
// says why when it cannot be trusted to be what was configured.
#pragma once

#include <cstdint>

#include "constants.h"
#include "settings_path.h"
#include "trust_check.h"

namespace notremovable {

// Why no ID was read; the exe ignores it, the check program tells it.
enum class Refusal : std::uint8_t {
  None,
  ExePathNotExact,         // not an exact rendering in the ANSI code page, or too long
  ReadsMayGoElsewhere,     // under WOW64, in or below a system folder
  SettingsPathTooLong,
  AccountUnknown,          // the process's own account cannot be read
  FolderUntrusted,
  ExeUntrusted,
  SettingsUntrusted,
  SettingsUnreadable,
  SettingsHeld,            // open for writing by another program, or without read sharing
  SettingsLinkToNothing,   // a name stands there, but names no file
  SettingsElsewhere,       // it really lies elsewhere: reached through a link, a
                           // junction or a drive letter that stands for another place
  ValueTooLong,            // longer than the longest ID acted on, or cut by the reader
};

// Where an opened file really lies: "\\?\" or "\\?\UNC\" before a whole path.
inline constexpr std::size_t kRealPathFieldSize = kPathFieldSize + 8;

// What the reading found on its way, in the order it looked.
struct SettingsFindings {
  char folderPath[kPathFieldSize];
  char settingsPath[kPathFieldSize];
  SettingsFile file;
  unsigned long error;  // the system's error where the file is unreadable
  char realPath[kRealPathFieldSize];  // where the present file really lies
  TrustFinding folder;
  TrustFinding exe;
  TrustFinding settings;
  char value[kReadBufferSize];  // as the profile reader returned it
  unsigned long readLength;
  bool keyMissing;  // the present file has no "DevID" in a "Settings" section (set by whileHeld)
};

// Fills the field with "DevID" of section "Settings" of the settings file
// beside the executable at exePath (its exact long path, length characters),
// or the built-in default when the file, the section or the key is missing.
// The value is passed on untrimmed and unchecked. It reads only what no one
// but trusted principals could have changed, and only while no one writes
// it; otherwise, or when the value is too long to be taken whole, the ID is
// left empty and the reason returned: the caller refuses an empty ID.
// whileHeld, where given, is called once the present file has been read, while
// it is still held (the check program asks it more there).
using WhileHeld = void (*)(SettingsFindings& findings);
Refusal ReadDeviceIdBeside(const char* exePath, std::size_t length,
                           char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings,
                           WhileHeld whileHeld);

// The same for the running executable.
Refusal ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings);

}  // namespace notremovable
