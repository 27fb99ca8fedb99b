// Device ID matching, Windows' own override key for an ID, and the override's effect.
#include "device_match.h"

namespace notremovable {
namespace {

char FoldAsciiCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The ID at the start of what is left of a list; the rest after it.
TextSpan NextId(TextSpan& rest) {
  TextSpan id = {rest.text, 0};
  while (id.length < rest.length && rest.text[id.length] != '\0') {
    ++id.length;
  }
  const std::size_t used = id.length < rest.length ? id.length + 1 : id.length;
  rest = {rest.text + used, rest.length - used};
  return id;
}

// The next ID of the list that is not the instance path.
TextSpan NextDeviceId(TextSpan& rest, TextSpan instancePath) {
  TextSpan id = NextId(rest);
  while (id.length != 0 && IsSameId(id, instancePath)) {
    id = NextId(rest);
  }
  return id;
}

// Whether the list holds the ID; which position it first holds it at.
bool ListHolds(TextSpan list, TextSpan instancePath, TextSpan id, std::size_t& position) {
  for (position = 0;; ++position) {
    const TextSpan each = NextDeviceId(list, instancePath);
    if (each.length == 0) {
      return false;
    }
    if (IsSameId(each, id)) {
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

bool IsSameId(TextSpan a, TextSpan b) {
  if (a.length != b.length) {
    return false;
  }
  for (std::size_t i = 0; i < a.length; ++i) {
    if (FoldAsciiCase(a.text[i]) != FoldAsciiCase(b.text[i])) {
      return false;
    }
  }
  return true;
}

TextSpan FirstId(TextSpan list) { return NextId(list); }

TextSpan MostSpecificHardwareId(const DeviceIds& ids) {
  TextSpan list = ids.hardware;
  return NextDeviceId(list, ids.instancePath);
}

IdMatch MatchDeviceIds(const DeviceIds& ids, TextSpan id) {
  std::size_t position = 0;
  if (id.length == 0) {
    return IdMatch::None;
  }
  if (ListHolds(ids.hardware, ids.instancePath, id, position)) {
    return position == 0 ? IdMatch::MostSpecific : IdMatch::LessSpecific;
  }
  return ListHolds(ids.compatible, ids.instancePath, id, position) ? IdMatch::Compatible
                                                                   : IdMatch::None;
}

void ComposeWindowsOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                                   char (&keyPath)[kOverrideKeyPathFieldSize]) {
  // The template's text up to its first "%s", the ID, and what follows its second.
  std::size_t used = 0;
  const auto append = [&keyPath, &used](char c) {
    if (used + 1 < kOverrideKeyPathFieldSize) {
      keyPath[used++] = c;
    }
  };
  const char* cursor = kOverrideKeyTemplate;
  for (; *cursor != '\0' && *cursor != '%'; ++cursor) {
    append(*cursor);
  }
  for (std::size_t i = 0; i < kDeviceIdFieldSize && deviceId[i] != '\0'; ++i) {
    append(deviceId[i] == '\\' ? '#' : deviceId[i]);
  }
  // The whole ID stands for both parts and the "#" between them: on past the second "%s".
  for (std::size_t conversions = 0; *cursor != '\0' && conversions < 2; ++cursor) {
    if (cursor[0] == '%' && cursor[1] == 's') {
      ++conversions;
      ++cursor;
    }
  }
  for (; *cursor != '\0'; ++cursor) {
    append(*cursor);
  }
  keyPath[used] = '\0';
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

}  // namespace notremovable
