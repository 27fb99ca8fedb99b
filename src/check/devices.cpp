// Device ID matching, the override's effect, and the count of the devices.
#include "check/devices.h"

namespace notremovable {
namespace {

// The ID at the start of what is left of a list; the rest after it.
Text NextId(Text& rest) {
  Text id = {rest.text, 0};
  while (id.length < rest.length && rest.text[id.length] != '\0') {
    ++id.length;
  }
  const std::size_t used = id.length < rest.length ? id.length + 1 : id.length;
  rest = {rest.text + used, rest.length - used};
  return id;
}

// The next ID of the list that is not the instance path.
Text NextDeviceId(Text& rest, Text instancePath) {
  Text id = NextId(rest);
  while (id.length != 0 && IsSameAsciiText(id, instancePath)) {
    id = NextId(rest);
  }
  return id;
}

// Whether the list holds the ID; which position it first holds it at.
bool ListHolds(Text list, Text instancePath, Text id, std::size_t& position) {
  for (position = 0;; ++position) {
    const Text each = NextDeviceId(list, instancePath);
    if (each.length == 0) {
      return false;
    }
    if (IsSameAsciiText(each, id)) {
      return true;
    }
  }
}

// The GUID Windows gives the computer's own container:
// {00000000-0000-0000-FFFF-FFFFFFFFFFFF}.
bool IsLocalMachineContainer(const std::uint8_t (&id)[16]) {
  for (std::size_t i = 0; i < sizeof id; ++i) {
    if (id[i] != (i < 8 ? 0x00U : 0xFFU)) {
      return false;
    }
  }
  return true;
}

}  // namespace

Text FirstId(Text list) { return NextId(list); }

Text MostSpecificHardwareId(const DeviceIds& ids) {
  Text list = ids.hardware;
  return NextDeviceId(list, ids.instancePath);
}

IdMatch MatchDeviceIds(const DeviceIds& ids, Text id) {
  std::size_t position = 0;
  if (id.length == 0) {
    return IdMatch::None;
  }
  if (IsSameAsciiText(ids.instancePath, id)) {
    return IdMatch::InstancePath;
  }
  if (ListHolds(ids.hardware, ids.instancePath, id, position)) {
    return position == 0 ? IdMatch::MostSpecific : IdMatch::LessSpecific;
  }
  return ListHolds(ids.compatible, ids.instancePath, id, position) ? IdMatch::Compatible
                                                                   : IdMatch::None;
}

OverrideEffect JudgeOverrideEffect(const ContainerFacts& container) {
  if (container.hasInLocalMachine) {
    return container.inLocalMachine ? OverrideEffect::InEffect : OverrideEffect::NotYet;
  }
  if (container.hasContainerId) {
    return IsLocalMachineContainer(container.containerId) ? OverrideEffect::InEffect
                                                          : OverrideEffect::NotYet;
  }
  return OverrideEffect::CannotTell;
}

void CountDevice(DeviceTally& tally, const DeviceFacts& device) {
  if (device.match == IdMatch::InstancePath) {
    tally.instancePath = true;
    return;
  }
  const Text first = {tally.firstMostSpecificId, tally.firstMostSpecificLength};
  if (tally.matching == 0) {
    // An ID longer than the field is kept cut, and so differs from every other.
    std::size_t kept = 0;
    for (; kept < device.mostSpecificId.length && kept + 1 < kTalliedIdFieldSize; ++kept) {
      tally.firstMostSpecificId[kept] = device.mostSpecificId.text[kept];
    }
    tally.firstMostSpecificLength = kept;
    tally.mostSpecificIdsDiffer = kept != device.mostSpecificId.length;
  } else if (!IsSameAsciiText(first, device.mostSpecificId)) {
    tally.mostSpecificIdsDiffer = true;
  }
  ++tally.matching;
  tally.compatible += device.match == IdMatch::Compatible ? 1U : 0U;
  tally.notYet += device.effect == OverrideEffect::NotYet ? 1U : 0U;
}

bool ReachesOtherKinds(const DeviceTally& tally) {
  return tally.compatible > 0 || (tally.matching > 1 && tally.mostSpecificIdsDiffer);
}

}  // namespace notremovable
