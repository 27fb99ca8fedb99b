// The device override key under HKEY_LOCAL_MACHINE and the value stored
// there: the exe's key for an ID, split by position, and the key under which
// Windows itself looks an override up for an ID.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/device_id.h"
#include "rules/text.h"

namespace notremovable {

// The enumerator part replaces the first %s, the device part the second.
inline constexpr char kOverrideKeyTemplate[] =
    "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\%s#%s\\LocationPaths\\*";
inline constexpr char kRemovableValueName[] = "Removable";
inline constexpr std::uint32_t kRemovableData = 0;

// Template without its two "%s": 66 characters, so a key path is the ID's
// length plus 65 (3 enumerator characters plus the ID less 4). Windows' own
// key holds the whole ID in place of both parts and the "#": the same length.
inline constexpr std::size_t kTemplateFixedLength = sizeof kOverrideKeyTemplate - 1 - 4;
inline constexpr std::size_t kOverrideKeyPathFieldSize =
    kLongestDeviceId + kTemplateFixedLength + kEnumeratorLength - kDevicePartStart + 1;

// Splits an ID the run acts on by position (three characters of enumerator, the
// fourth dropped, the rest as the device part) and fills the key template with
// the two parts. Further backslashes in the device part become further key levels.
void ComposeOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                            char (&keyPath)[kOverrideKeyPathFieldSize]);

// The key under which Windows looks up an override for the ID: the template
// with the whole ID, every backslash as "#". An ID whose fourth character is
// not a backslash, or that holds another, gives another key than the exe's.
void ComposeWindowsOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                                   char (&keyPath)[kOverrideKeyPathFieldSize]);

// The part of a key path composed above that names the device, between the
// template's text before its first "%s" and after its second: one level, or
// more where the ID had further backslashes.
Text OverrideKeyLevel(const char* keyPath);

}  // namespace notremovable
