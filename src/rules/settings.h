// The settings file's section and key, how the profile reader's answer is
// read, and what the reading found on its way: the findings the platform
// tier fills and the check program's report reads.
#pragma once

#include <cstdint>

#include "rules/device_id.h"
#include "rules/paths.h"
#include "rules/trust.h"

namespace notremovable {

inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kDeviceIdKey[] = "DevID";

// The profile reader's default when the file has no "DevID" in its first
// "Settings" section: no line of the file can hold a line break, so no value
// equals it, and it ends in a character the reader keeps.
inline constexpr char kNoValue[] = "\n(none)";
// Whether the reader answered with that default.
bool IsNoValue(const char (&value)[kReadBufferSize]);

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
  char value[kReadBufferSize];  // as the profile reader returned it, or the default
  unsigned long readLength;
  bool keyMissing;  // the present file has no "DevID" in its first "Settings" section
};

}  // namespace notremovable
