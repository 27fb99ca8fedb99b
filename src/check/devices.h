// The devices the exe's key reaches, as Windows matches an override to them
// (by their hardware IDs and compatible IDs, each under its own key, every
// backslash as "#"), and what the walk finds of each. Pure logic over what
// the device lists and properties hold; the verdict judges the facts.
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

// What Windows says of a device's container: in the computer's own container
// (Windows 8 and later), and the container's ID.
struct ContainerFacts {
  bool hasInLocalMachine;
  bool inLocalMachine;
  bool hasContainerId;
  std::uint8_t containerId[16];  // as a GUID is laid out in memory
};

// Whether the device reports itself removable (its removable capability).
enum class Capability : std::uint8_t { Removable, NotRemovable, Unknown };

// The device above it, as far as it can be read: its instance path, and
// where it is listed, its name and most specific hardware ID.
enum class ParentRead : std::uint8_t { Unknown, InstanceOnly, Listed };
struct ParentFacts {
  ParentRead read;
  WideText instance;
  WideText name;
  WideText mostSpecificId;
};

// A device the exe's key reaches, as the walk found it, its texts as
// Windows holds them.
struct DeviceFacts {
  IdMatch match;
  WideText instance;  // its instance path
  WideText mostSpecificId;
  WideText name;      // empty: it has neither a name nor a description
  bool presentNow;
  Capability capability;
  ContainerFacts container;
  ParentFacts parent;
};

// The devices the walk handed over, kept with their texts, for the verdict to
// judge and the renderers to word once the walk is done. Those past its room
// are counted, not kept.
struct DeviceStore {
  static constexpr std::size_t kMostKept = 512;
  static constexpr std::size_t kTextFieldSize = 64 * 1024;  // UTF-16 units, for all of them
  DeviceFacts kept[kMostKept];
  std::size_t count;
  std::size_t notKept;
  wchar_t texts[kTextFieldSize];
  std::size_t textsUsed;
};
// Keeps a copy of the device and its texts; false where they do not fit.
bool Keep(DeviceStore& store, const DeviceFacts& device);

// The devices the exe's key reaches, counted as the walk hands them over.
inline constexpr std::size_t kTalliedIdFieldSize = 256;
struct DeviceTally {
  bool listed;
  bool instancePath;
  std::size_t matching;
  std::size_t compatible;
  std::size_t ofItsOwn;    // the override decides their container, and they have one of their own
  std::size_t notPresent;
  std::size_t unreadable;  // devices whose ID lists could not be read
  // Present devices whose container the override decides, by where they are now.
  std::size_t inComputers;
  std::size_t pending;     // still in a container of their own
  std::size_t containerUnknown;
  bool mostSpecificIdsDiffer;
  wchar_t firstMostSpecificId[kTalliedIdFieldSize];
  std::size_t firstMostSpecificLength;
};

}  // namespace notremovable
