// How Windows matches an override to devices, by their hardware IDs and
// compatible IDs, and whether the override has taken effect on one; the
// devices that have the ID, counted. Pure logic over what the device lists hold.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/text.h"

namespace notremovable {

// The first ID of a list as a device property gives it: IDs each ended by a
// zero, the list by an empty one or by its length (a REG_SZ holds one ID).
Text FirstId(Text list);

// A device's ID lists, and its instance path: Wine lists that among its IDs,
// which Windows does not, so it is skipped in them.
struct DeviceIds {
  Text hardware;
  Text compatible;
  Text instancePath;
};
// Its first hardware ID that is not its instance path; empty if none.
Text MostSpecificHardwareId(const DeviceIds& ids);

enum class IdMatch : std::uint8_t {
  None,
  MostSpecific,  // the device's first hardware ID
  LessSpecific,  // a later hardware ID
  Compatible,    // one of its compatible IDs
  InstancePath   // the ID is the device's instance path, not a hardware ID
};
IdMatch MatchDeviceIds(const DeviceIds& ids, Text id);

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

// A device that has the ID, as the walk over the devices found it.
struct DeviceFacts {
  Text name;  // empty: it has neither a name nor a description
  bool presentNow;
  IdMatch match;
  Text mostSpecificId;  // its first hardware ID
  OverrideEffect effect;
};

// The devices that have the ID, counted as the walk goes.
inline constexpr std::size_t kTalliedIdFieldSize = 256;
struct DeviceTally {
  bool listed;
  bool instancePath;
  std::size_t matching;
  std::size_t compatible;
  std::size_t notYet;
  std::size_t unreadable;  // devices whose ID lists could not be read
  bool mostSpecificIdsDiffer;
  char firstMostSpecificId[kTalliedIdFieldSize];
  std::size_t firstMostSpecificLength;
};
void CountDevice(DeviceTally& tally, const DeviceFacts& device);
// Whether the override reaches more than one kind of device: a compatible ID,
// or devices whose most specific IDs differ.
bool ReachesOtherKinds(const DeviceTally& tally);

}  // namespace notremovable
