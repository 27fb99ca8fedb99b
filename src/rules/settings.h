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

// A settings file holds a few lines. The profile reader takes the whole file
// into memory, and where it cannot (Wine: from some hundreds of megabytes) it
// answers with its default as if the key were missing. A larger file is
// refused unread.
inline constexpr std::uint64_t kLargestSettingsFile = std::uint64_t{16} * 1024U * 1024U;

// The profile reader's default when the file has no "DevID" in its first
// "Settings" section: no line of the file can hold a line break, so no value
// equals it, and it ends in a character the reader keeps.
inline constexpr char kNoValue[] = "\n(none)";

// What the reader's answer means, asked with kNoValue as its default and the
// system's error cleared before: the value; its default for a file without
// the key (Wine then leaves no error, Windows says "file not found"); or its
// default after it failed to read the file it was handed (any other error).
enum class ProfileAnswer : std::uint8_t { Value, NoDevId, ReadFailed };
ProfileAnswer ClassifyProfileAnswer(const char (&value)[kReadBufferSize], unsigned long error);

// Why no ID was read; the exe ignores it, the check program tells it.
enum class Refusal : std::uint8_t {
  None,
  ExePathTooLong,          // 256 characters or more, as the module calls give it or expanded
  ExeLongPathUnknown,      // its long form cannot be had: a folder on its way cannot be listed
  ExePathNotExact,         // not an exact rendering in the ANSI code page
  ReadsMayGoElsewhere,     // under WOW64, in or below a system folder
  SettingsPathTooLong,
  AccountUnknown,          // the process's own account cannot be read
  FolderUntrusted,
  ExeRealPathTooLong,      // it really lies elsewhere, at a path too long to judge
  RealFolderUntrusted,     // the folder it really lies in, through a link
  ExeUntrusted,
  SettingsUntrusted,
  SettingsUnreadable,
  SettingsHeld,            // open for writing by another program, or without read sharing
  SettingsLinkToNothing,   // a name stands there, but names no file
  SettingsElsewhere,       // it really lies elsewhere: reached through a link, a
                           // junction or a drive letter that stands for another place
  SettingsPlaceUnknown,    // the system cannot tell where it really lies
  SettingsTooLarge,        // larger than kLargestSettingsFile
  SettingsReadFailed,      // the profile reader could not read it
  ValueTooLong,            // longer than the longest ID acted on, or cut by the reader
};

// What the reading found on its way. Its small facts come first, where the
// exe reaches them with the shortest instructions.
struct SettingsFindings {
  // Where the exe really lies, when the system can tell (else exeError says why).
  Whereabouts exePlace;
  unsigned long exeError;
  SettingsFile file;
  // The system's error where the file is unreadable, where it lies cannot be
  // told, or the reader failed on it.
  unsigned long error;
  std::uint64_t fileSize;
  unsigned long readLength;
  bool keyMissing;  // the present file has no "DevID" in its first "Settings" section
  char folderPath[kPathFieldSize];
  char settingsPath[kPathFieldSize];
  char exeRealPath[kRealPathFieldSize];
  char realFolderPath[kPathFieldSize];  // where the exe really lies elsewhere
  char realPath[kRealPathFieldSize];  // where the present file really lies
  char value[kReadBufferSize];  // as the profile reader returned it, or the default
  TrustFinding folder;
  TrustFinding realFolder;
  TrustFinding exe;
  TrustFinding settings;
};

}  // namespace notremovable
