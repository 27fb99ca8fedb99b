// How Windows matches an override to devices: by their hardware IDs and
// compatible IDs, under the ID with every backslash as "#"; and whether the
// override has taken effect on a device. Pure logic over what the device
// lists hold, free of <windows.h>, so that it also builds and is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "constants.h"

namespace notremovable {

// Text as read, not necessarily terminated.
struct TextSpan {
  const char* text;
  std::size_t length;
};

// Whether two IDs are the same: byte for byte, but for ASCII case, as Windows
// compares device IDs whatever the user's locale.
bool IsSameId(TextSpan a, TextSpan b);

// The first ID of a list as a device property gives it: IDs each ended by a
// zero, the list by an empty one or by its length (a REG_SZ holds one ID).
TextSpan FirstId(TextSpan list);

// A device's ID lists, and its instance path: Wine lists that among its IDs,
// which Windows does not, so it is skipped in them.
struct DeviceIds {
  TextSpan hardware;
  TextSpan compatible;
  TextSpan instancePath;
};
// Its first hardware ID that is not its instance path; empty if none.
TextSpan MostSpecificHardwareId(const DeviceIds& ids);

enum class IdMatch : std::uint8_t {
  None,
  MostSpecific,  // the device's first hardware ID
  LessSpecific,  // a later hardware ID
  Compatible     // one of its compatible IDs
};
IdMatch MatchDeviceIds(const DeviceIds& ids, TextSpan id);

// The key under which Windows looks up an override for the ID: the template
// with the whole ID, every backslash as "#". An ID whose fourth character is
// not a backslash, or that holds another, gives another key than the exe's.
void ComposeWindowsOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                                   char (&keyPath)[kOverrideKeyPathFieldSize]);

// What Windows says of a device's container: in the computer's own container
// (Windows 8 and later), and the container's ID.
struct ContainerFacts {
  bool hasInLocalMachine;
  bool inLocalMachine;
  bool hasContainerId;
  std::uint8_t containerId[16];  // as a GUID is laid out in memory
};
enum class OverrideEffect : std::uint8_t {
  InEffect,  // the device is in the computer's own container
  NotYet,    // it has a container of its own
  CannotTell
};
OverrideEffect JudgeOverrideEffect(const ContainerFacts& container);

}  // namespace notremovable
