// Device ID matching by the exe's key.
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

// A copy of the text at the end of the store's texts; false where it does not fit.
bool KeepText(DeviceStore& store, WideText& text) {
  if (text.length > DeviceStore::kTextFieldSize - store.textsUsed) {
    return false;
  }
  wchar_t* const copy = store.texts + store.textsUsed;
  for (std::size_t i = 0; i < text.length; ++i) {
    copy[i] = text.text[i];
  }
  store.textsUsed += text.length;
  text.text = copy;
  return true;
}

}  // namespace

bool Keep(DeviceStore& store, const DeviceFacts& device) {
  DeviceFacts copy = device;
  const std::size_t textsBefore = store.textsUsed;
  const bool kept = store.count < DeviceStore::kMostKept && KeepText(store, copy.instance) &&
                    KeepText(store, copy.mostSpecificId) && KeepText(store, copy.name) &&
                    KeepText(store, copy.parent.instance) && KeepText(store, copy.parent.name) &&
                    KeepText(store, copy.parent.mostSpecificId);
  if (!kept) {
    store.textsUsed = textsBefore;
    ++store.notKept;
    return false;
  }
  store.kept[store.count++] = copy;
  return true;
}

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

}  // namespace notremovable
