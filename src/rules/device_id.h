// The hardware ID the run acts on: its default, its field and its bounds, which
// values read are taken, and what a configured ID never holds.
#pragma once

#include <cstddef>

namespace notremovable {

inline constexpr char kDefaultDeviceId[] = "USB\\VID_0DB0&PID_A871";

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

// Counts the ID up to its terminator (inside its field): the run acts on IDs of
// kShortestDeviceId to kLongestDeviceId characters.
bool IsDeviceIdActedOn(const char (&deviceId)[kDeviceIdFieldSize]);

// Copies the profile reader's value (it reported readLength characters) into
// the ID field when it is whole: not cut by the reader, and no longer than the
// longest ID acted on, and says whether it did. Otherwise the field is left
// empty, which the run refuses.
bool TakeWholeValue(const char (&readBuffer)[kReadBufferSize], std::size_t readLength,
                    char (&deviceId)[kDeviceIdFieldSize]);

// What a hardware ID never holds, found in a configured one: signs of a
// comment after the value, or of a device instance path pasted in its place.
struct IdOddities {
  bool space;
  bool semicolon;
  bool outsideAscii;      // a control character or a byte above 127
  bool thirdPart;         // a second backslash: a device instance path has three parts
};
IdOddities FindIdOddities(const char* value, std::size_t length);

}  // namespace notremovable
