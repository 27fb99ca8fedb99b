// The devices, through SetupAPI and the configuration manager: their instance
// paths, ID lists, names, presence and containers.
#include "check/devices_win32.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <devpropdef.h>
#include <setupapi.h>

#include <cstring>

#include "check/device_properties_win32.h"

namespace notremovable {
namespace {

// A device ID is at most 200 characters.
constexpr DWORD kInstanceFieldSize = 256;

enum class PropertyRead : std::uint8_t { Absent, Whole, Failed };

// A device's text property read whole: its size asked first, then read into
// a buffer made and cleared for it, with two zeros after it that end any list.
class DeviceProperty {
 public:
  DeviceProperty() = default;
  ~DeviceProperty() { Release(); }
  DeviceProperty(const DeviceProperty&) = delete;
  DeviceProperty& operator=(const DeviceProperty&) = delete;

  PropertyRead Read(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property) {
    Release();
    DWORD type = 0;
    DWORD size = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices, &device, property, &type, nullptr, 0, &size) !=
        FALSE) {
      return PropertyRead::Absent;  // nothing to read
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
      // The device has no such property.
      return error == ERROR_INVALID_DATA ? PropertyRead::Absent : PropertyRead::Failed;
    }
    text_ = static_cast<char*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 2));
    DWORD read = 0;
    if (text_ == nullptr ||
        SetupDiGetDeviceRegistryPropertyA(devices, &device, property, &type,
                                          reinterpret_cast<BYTE*>(text_), size, &read) == FALSE ||
        (type != REG_SZ && type != REG_MULTI_SZ)) {
      Release();
      return PropertyRead::Failed;
    }
    length_ = read < size ? read : size;
    return PropertyRead::Whole;
  }

  // Empty unless read whole.
  notremovable::Text Value() const { return {text_ != nullptr ? text_ : "", length_}; }

 private:
  void Release() {
    if (text_ != nullptr) {
      static_cast<void>(HeapFree(GetProcessHeap(), 0, text_));
    }
    text_ = nullptr;
    length_ = 0;
  }

  char* text_ = nullptr;
  DWORD length_ = 0;
};

// Its friendly name, or its description; empty when it has neither.
Text NameOf(HDEVINFO devices, SP_DEVINFO_DATA& device, DeviceProperty& name) {
  if (name.Read(devices, device, SPDRP_FRIENDLYNAME) == PropertyRead::Whole ||
      name.Read(devices, device, SPDRP_DEVICEDESC) == PropertyRead::Whole) {
    return FirstId(name.Value());
  }
  return {"", 0};
}

OverrideEffect EffectOn(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  ContainerFacts container = {};
  DEVPROPTYPE type = 0;
  DEVPROP_BOOLEAN inLocalMachine = DEVPROP_FALSE;
  container.hasInLocalMachine =
      SetupDiGetDevicePropertyW(devices, &device, &kInLocalMachineContainer, &type,
                                reinterpret_cast<BYTE*>(&inLocalMachine), sizeof inLocalMachine,
                                nullptr, 0) != FALSE &&
      type == DEVPROP_TYPE_BOOLEAN;
  container.inLocalMachine = inLocalMachine != DEVPROP_FALSE;
  GUID id = {};
  container.hasContainerId =
      SetupDiGetDevicePropertyW(devices, &device, &kContainerId, &type, reinterpret_cast<BYTE*>(&id),
                                sizeof id, nullptr, 0) != FALSE &&
      type == DEVPROP_TYPE_GUID;
  std::memcpy(container.containerId, &id, sizeof container.containerId);
  return JudgeOverrideEffect(container);
}

}  // namespace

bool WalkDevices(Text id, DeviceVisitor& visitor) {
  const HDEVINFO devices = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (devices == INVALID_HANDLE_VALUE) {
    return false;
  }
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  DeviceProperty hardwareIds;
  DeviceProperty compatibleIds;
  DeviceProperty name;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device) != FALSE; ++i) {
    char instance[kInstanceFieldSize] = {};
    if (SetupDiGetDeviceInstanceIdA(devices, &device, instance, kInstanceFieldSize, nullptr) ==
        FALSE) {
      instance[0] = '\0';
    }
    if (hardwareIds.Read(devices, device, SPDRP_HARDWAREID) == PropertyRead::Failed ||
        compatibleIds.Read(devices, device, SPDRP_COMPATIBLEIDS) == PropertyRead::Failed) {
      visitor.TakeUnreadable();
      continue;
    }
    const DeviceIds ids = {hardwareIds.Value(), compatibleIds.Value(), {instance, LengthOf(instance)}};
    const IdMatch match = MatchDeviceIds(ids, id);
    if (match == IdMatch::None) {
      continue;
    }
    // A device installed before but not present now has no node the
    // configuration manager can report on.
    ULONG status = 0;
    ULONG problem = 0;
    const DeviceFacts facts = {NameOf(devices, device, name),
                               CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS,
                               match, MostSpecificHardwareId(ids), EffectOn(devices, device)};
    visitor.Take(facts);
  }
  static_cast<void>(SetupDiDestroyDeviceInfoList(devices));
  return true;
}

}  // namespace notremovable
