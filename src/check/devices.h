// The devices the exe's key reaches, as Windows matches an override to them
// (by their hardware IDs and compatible IDs, each under its own key, every
// backslash as "#"), what the override can change on each, and their count.
// Pure logic over what the device lists and properties hold.
#pragma once

#include <cstddef>
#include <cstdint>

#include "rules/text.h"

namespace notremovable {

// The first ID of a list as a device property gives it: IDs each ended by a
// zero, the list by an empty one or by its length (a REG_SZ holds one ID).
WideText FirstId(WideText list);

// A device's ID lists, and its instance path: Wine lists that among its IDs,
// which Windows does not, so it is skipped in them.
struct DeviceIds {
  WideText hardware;
  WideText compatible;
  WideText instancePath;
};
// Its first hardware ID that is not its instance path; empty if none.
WideText MostSpecificHardwareId(const DeviceIds& ids);

// Whether Windows would look the override for the ID up under the key level
// (between DeviceOverrides\ and \LocationPaths\*): the ID with every backslash
// as "#" is that level, but for ASCII case. A letter outside ASCII never matches.
bool LeadsToKeyLevel(WideText id, Text keyLevel);

enum class IdMatch : std::uint8_t {
  None,
  MostSpecific,  // the device's first hardware ID leads to the exe's key
  LessSpecific,  // a later hardware ID
  Compatible,    // one of its compatible IDs
  InstancePath   // the value is the device's instance path, not a hardware ID
};
// How the exe's key reaches the device, whose instance path the configured value may be.
IdMatch MatchDevice(const DeviceIds& ids, Text keyLevel, Text value);

// Whom the exe's key is for: the configured ID itself; another spelling of an
// ID that leads to it (USB/... or USB_... for USB\...); or no ID at all, since
// it has a further level that no ID with every backslash as "#" has.
enum class KeyReach : std::uint8_t { TheId, AnotherSpelling, NoId };
KeyReach JudgeKeyReach(Text exeKeyLevel, Text windowsKeyLevel);

// What Windows says of a device's container: in the computer's own container
// (Windows 8 and later), and the container's ID.
struct ContainerFacts {
  bool hasInLocalMachine;
  bool inLocalMachine;
  bool hasContainerId;
  std::uint8_t containerId[16];  // as a GUID is laid out in memory
};
enum class Container : std::uint8_t { TheComputers, OfItsOwn, CannotTell };
Container JudgeContainer(const ContainerFacts& container);

// Whether the device reports itself removable (its removable capability).
enum class Capability : std::uint8_t { Removable, NotRemovable, Unknown };

// The device above it, as far as it can be read: its instance path, and
// where it is listed, its name and most specific hardware ID.
enum class ParentRead : std::uint8_t { Unknown, InstanceOnly, Listed };
struct ParentFacts {
  ParentRead read;
  Text instance;
  Text name;
  Text mostSpecificId;
};

// A device the exe's key reaches, as the walk found it. Texts from it are
// shown as the report writes them: in the ANSI code page, "?" for what it
// cannot write, never a look-alike.
struct DeviceFacts {
  IdMatch match;
  WideText mostSpecificId;  // as Windows holds it, for the count
  Text shownName;           // empty: it has neither a name nor a description
  Text shownMostSpecificId;
  bool presentNow;
  Capability capability;
  ContainerFacts container;
  ParentFacts parent;
};

// What the override does to a device. Windows gives a device the container
// its bus supplies; otherwise one of its own when it reports itself
// removable, and else its parent's. The override only makes the device count
// as not removable, so it decides only where the device reports itself removable.
enum class OverrideEffect : std::uint8_t {
  DecidesContainer,
  ChangesNothing,  // it takes the container of the device above it anyway
  CannotTell       // its capabilities cannot be read
};
OverrideEffect JudgeOverrideEffect(Capability capability);

// The devices the exe's key reaches, counted as the walk goes.
inline constexpr std::size_t kTalliedIdFieldSize = 256;
struct DeviceTally {
  bool listed;
  bool instancePath;
  std::size_t matching;
  std::size_t compatible;
  std::size_t ofItsOwn;    // the override decides their container, and they have one of their own
  std::size_t notPresent;
  std::size_t unreadable;  // devices whose ID lists could not be read
  bool mostSpecificIdsDiffer;
  wchar_t firstMostSpecificId[kTalliedIdFieldSize];
  std::size_t firstMostSpecificLength;
};
void CountDevice(DeviceTally& tally, const DeviceFacts& device);
// Whether the override reaches more than one kind of device: a compatible ID,
// or devices whose most specific IDs differ.
bool ReachesOtherKinds(const DeviceTally& tally);

}  // namespace notremovable
