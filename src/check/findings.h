// The check program's one record of findings: everything it gathered about
// the exe it judges and the PC it runs on, the devices its key reaches among
// them. The verdict decides from it, once, and the renderers word it and the
// verdict; neither gathers anything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "check/devices.h"
#include "check/target.h"
#include "rules/device_id.h"
#include "rules/paths.h"
#include "rules/settings.h"
#include "rules/text.h"
#include "rules/trust.h"

namespace notremovable {

// A trust finding with what the platform found out about it: the name of
// its principal (the untrusted owner, or the entry's SID), and how it is
// judged for an account that owns nothing (NotChecked where it was not
// judged again).
struct NamedFinding {
  const TrustFinding* finding;
  const char* path;
  bool isFolder;
  const wchar_t* principalName;
  TrustVerdict withoutAccount;
};

// What stands at the exe's key now: its Removable value's type, size and
// data (whole where it fits the field), or why it cannot be read.
enum class KeyState : std::uint8_t { NoKey, Unreadable, WithoutValue, Dword, OtherType };
inline constexpr std::size_t kKeyDataFieldSize = 64;
struct KeyNow {
  KeyState state;
  unsigned long data;   // Dword
  unsigned long type;   // Dword, OtherType
  unsigned long size;   // Dword, OtherType: the value's size in bytes
  unsigned long error;  // Unreadable
  const char* systemMessage;
  unsigned char raw[kKeyDataFieldSize];  // the value's bytes, where size fits
};

// The system's ANSI code page, as the platform converts text: what the
// renderers need to show UTF-16 in it, and to turn its text into UTF-16.
// Each answer lasts until the next call of the same function.
class CodePage {
 public:
  // As the text report shows it: "?" for what the code page cannot write,
  // never a look-alike; a null text where it cannot be shown at all (too long).
  virtual Text Shown(WideText text) = 0;
  // Exactly, character for character.
  virtual WideText Widened(Text text) = 0;

 protected:
  CodePage() = default;
  ~CodePage() = default;
  CodePage(const CodePage&) = default;
  CodePage& operator=(const CodePage&) = default;
};

struct Findings {
  // The check itself: its version, and whether it is the 32-bit x86 build
  // (else the x86-64 test build).
  const char* toolVersion;
  bool builtFor32BitX86;
  // What the check was given, and what stands there.
  TargetFacts target;
  const char* exeShown;
  const wchar_t* exeExactPath;  // the exe's full path exactly as the system has it
  const char* targetMessage;  // the system's, for target.error
  // Where it runs: the computer, the account (null: cannot be read), the
  // Windows; the names exactly, as the wide calls give them.
  const wchar_t* computerName;
  const wchar_t* accountName;
  WindowsKind windows;
  // What the settings reader found, and what the platform added to it.
  Refusal refusal;
  const SettingsFindings* settings;  // null: the exe's path was not exact, nothing was read
  const char* exePath;
  const char* systemMessage;    // for settings->error
  const char* exePlaceMessage;  // for settings->exeError
  // Where the settings file really lies differs from its name only in the
  // case of letters outside ASCII, as the file system compares them.
  bool settingsPlaceDiffersInCase;
  // A UTF-16 settings file whose value holds letters outside ASCII, which the
  // exe's ANSI read turns into look-alikes.
  bool wideValueOutsideAscii;
  NamedFinding folder;
  NamedFinding realFolder;
  NamedFinding exe;
  NamedFinding settingsFile;
  // The ID as the exe would take it (empty where it takes none), its key and
  // Windows' own for it (null until composed), and what stands there now.
  const char (*deviceId)[kDeviceIdFieldSize];
  const char* keyPath;
  const char* windowsKeyPath;
  KeyNow keyNow;
  // The devices the key reaches, counted as the walk hands them over, and
  // kept for the verdict and the renderers.
  DeviceTally devices;
  DeviceStore deviceStore;
};

}  // namespace notremovable
