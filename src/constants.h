// The program's fixed texts, field sizes and exit statuses, named once.
// Plain data only: this header builds both for Windows and natively.
#pragma once

#include <cstddef>
#include <cstdint>

namespace notremovable {

// Settings file: the executable's own name with this extension, beside it.
inline constexpr char kSettingsExtension[] = "ini";
inline constexpr char kSettingsSection[] = "Settings";
inline constexpr char kDeviceIdKey[] = "DevID";
inline constexpr char kDefaultDeviceId[] = "USB\\VID_0DB0&PID_A871";

// Override key under HKEY_LOCAL_MACHINE: the enumerator part replaces the
// first %s, the device part the second.
inline constexpr char kOverrideKeyTemplate[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\%s#%s\\LocationPaths\\*";
inline constexpr char kRemovableValueName[] = "Removable";
inline constexpr std::uint32_t kRemovableData = 0;

// Paths as the module and profile calls deliver them: 255 characters at most.
// The wide path that checks the ANSI one has at most as many characters as the
// ANSI path has bytes, so a field of the same count holds it.
inline constexpr std::size_t kPathFieldSize = 256;

// The hardware ID field holds whatever the profile reader can return. A value
// that fills it (255 characters) may have been cut off, so the longest ID acted
// on is one shorter; the shortest is the length of the default ID.
inline constexpr std::size_t kDeviceIdFieldSize = 256;
inline constexpr std::size_t kShortestDeviceId = sizeof kDefaultDeviceId - 1;
inline constexpr std::size_t kLongestDeviceId = kDeviceIdFieldSize - 2;

// The profile reader cuts a long value at its buffer's last character, with or
// without the quotes it drops. This buffer puts that cut far above the longest
// ID acted on, so a cut value is always too long to be taken.
inline constexpr std::size_t kReadBufferSize = 512;
static_assert(kReadBufferSize - 1 - 2 > kLongestDeviceId, "a cut value must be refused");

// The ID splits by position: three characters of enumerator, the fourth
// dropped, the device part from the fifth on.
inline constexpr std::size_t kEnumeratorLength = 3;
inline constexpr std::size_t kDevicePartStart = 4;

// Template without its two "%s": 66 characters, so a key path is the ID's
// length plus 65 (3 enumerator characters plus the ID less 4).
inline constexpr std::size_t kTemplateFixedLength = sizeof kOverrideKeyTemplate - 1 - 4;
inline constexpr std::size_t kOverrideKeyPathFieldSize =
    kLongestDeviceId + kTemplateFixedLength + kEnumeratorLength - kDevicePartStart + 1;

// Exit statuses, the program's only report.
// ID too short or too long, or its settings file not found exactly or unreadable;
// the registry is untouched.
inline constexpr int kExitIdRefused = 0;
inline constexpr int kExitWriteAttempted = 1;  // the write was attempted, whatever it gave

}  // namespace notremovable
