// Device ID matching by the exe's key, what the override can change on a
// device, and the count of the devices.
#include "check/devices.h"

namespace notremovable {
namespace {

// The ID at the start of what is left of a list; the rest after it.
WideText NextId(WideText& rest) {
  WideText id = {rest.text, 0};
  while (id.length < rest.length && rest.text[id.length] != L'\0') {
    ++id.length;
  }
  const std::size_t used = id.length < rest.length ? id.length + 1 : id.length;
  rest = {rest.text + used, rest.length - used};
  return id;
}

// The next ID of the list that is not the instance path.
WideText NextDeviceId(WideText& rest, WideText instancePath) {
  WideText id = NextId(rest);
  while (id.length != 0 && IsSameAsciiText(id, instancePath)) {
    id = NextId(rest);
  }
  return id;
}

// Whether an ID of the list leads to the key level; at which position the first does.
bool ListLeadsTo(WideText list, WideText instancePath, Text keyLevel, std::size_t& position) {
  for (position = 0;; ++position) {
    const WideText each = NextDeviceId(list, instancePath);
    if (each.length == 0) {
      return false;
    }
    if (LeadsToKeyLevel(each, keyLevel)) {
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

WideText FirstId(WideText list) { return NextId(list); }

WideText MostSpecificHardwareId(const DeviceIds& ids) {
  WideText list = ids.hardware;
  return NextDeviceId(list, ids.instancePath);
}

bool LeadsToKeyLevel(WideText id, Text keyLevel) {
  if (id.length != keyLevel.length) {
    return false;
  }
  for (std::size_t i = 0; i < id.length; ++i) {
    const wchar_t asKey = id.text[i] == L'\\' ? L'#' : id.text[i];
    if (!IsSameAsciiText(WideText{&asKey, 1}, Text{keyLevel.text + i, 1})) {
      return false;
    }
  }
  return true;
}

IdMatch MatchDevice(const DeviceIds& ids, Text keyLevel, Text value) {
  if (value.length != 0 && IsSameAsciiText(ids.instancePath, value)) {
    return IdMatch::InstancePath;
  }
  std::size_t position = 0;
  if (keyLevel.length == 0) {
    return IdMatch::None;
  }
  if (ListLeadsTo(ids.hardware, ids.instancePath, keyLevel, position)) {
    return position == 0 ? IdMatch::MostSpecific : IdMatch::LessSpecific;
  }
  return ListLeadsTo(ids.compatible, ids.instancePath, keyLevel, position) ? IdMatch::Compatible
                                                                          : IdMatch::None;
}

KeyReach JudgeKeyReach(Text exeKeyLevel, Text windowsKeyLevel) {
  for (std::size_t i = 0; i < exeKeyLevel.length; ++i) {
    if (exeKeyLevel.text[i] == '\\') {
      return KeyReach::NoId;
    }
  }
  return IsSameText(exeKeyLevel, windowsKeyLevel) ? KeyReach::TheId : KeyReach::AnotherSpelling;
}

Container JudgeContainer(const ContainerFacts& container) {
  if (container.hasInLocalMachine) {
    return container.inLocalMachine ? Container::TheComputers : Container::OfItsOwn;
  }
  if (container.hasContainerId) {
    return IsLocalMachineContainer(container.containerId) ? Container::TheComputers
                                                          : Container::OfItsOwn;
  }
  return Container::CannotTell;
}

OverrideEffect JudgeOverrideEffect(Capability capability) {
  switch (capability) {
    case Capability::Removable:
      return OverrideEffect::DecidesContainer;
    case Capability::NotRemovable:
      return OverrideEffect::ChangesNothing;
    default:
      return OverrideEffect::CannotTell;
  }
}

void CountDevice(DeviceTally& tally, const DeviceFacts& device) {
  if (device.match == IdMatch::InstancePath) {
    tally.instancePath = true;
    return;
  }
  const WideText first = {tally.firstMostSpecificId, tally.firstMostSpecificLength};
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
  tally.ofItsOwn += JudgeOverrideEffect(device.capability) == OverrideEffect::DecidesContainer &&
                            JudgeContainer(device.container) == Container::OfItsOwn
                        ? 1U
                        : 0U;
  tally.notPresent += device.presentNow ? 0U : 1U;
}

bool ReachesOtherKinds(const DeviceTally& tally) {
  return tally.compatible > 0 || (tally.matching > 1 && tally.mostSpecificIdsDiffer);
}

}  // namespace notremovable
