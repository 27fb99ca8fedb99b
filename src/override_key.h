// Which hardware IDs the run acts on, and the override key path made from one.
// Pure logic, free of <windows.h>, so that it also builds and is tested natively.
#pragma once

#include "constants.h"

namespace notremovable {

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

// Splits an ID the run acts on by position (three characters of enumerator, the
// fourth dropped, the rest as the device part) and fills the key template with
// the two parts. Further backslashes in the device part become further key levels.
void ComposeOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                            char (&keyPath)[kOverrideKeyPathFieldSize]);

}  // namespace notremovable
