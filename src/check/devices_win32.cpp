// The devices, through SetupAPI and the configuration manager: their instance
// paths, ID lists, names, presence, capabilities, containers and parents,
// all read with the wide calls, so that no letter is read as a look-alike.
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
// The removable capability among a device's capabilities (CM_DEVCAP_REMOVABLE).
constexpr DWORD kRemovableCapability = 0x00000004;

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
    if (SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type, nullptr, 0, &size) !=
        FALSE) {
      return PropertyRead::Absent;  // nothing to read
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER) {
      // The device has no such property.
      return error == ERROR_INVALID_DATA ? PropertyRead::Absent : PropertyRead::Failed;
    }
    text_ = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 2 * sizeof(wchar_t)));
    DWORD read = 0;
    if (text_ == nullptr ||
        SetupDiGetDeviceRegistryPropertyW(devices, &device, property, &type,
                                          reinterpret_cast<BYTE*>(text_), size, &read) == FALSE ||
        (type != REG_SZ && type != REG_MULTI_SZ)) {
      Release();
      return PropertyRead::Failed;
    }
    length_ = (read < size ? read : size) / sizeof(wchar_t);
    return PropertyRead::Whole;
  }

  // Empty unless read whole.
  WideText Value() const { return {text_ != nullptr ? text_ : L"", length_}; }

 private:
  void Release() {
    if (text_ != nullptr) {
      static_cast<void>(HeapFree(GetProcessHeap(), 0, text_));
    }
    text_ = nullptr;
    length_ = 0;
  }

  wchar_t* text_ = nullptr;
  DWORD length_ = 0;
};

// Everything the walk reads of one device, and keeps while it is handed over.
struct DeviceReading {
  DeviceProperty hardwareIds;
  DeviceProperty compatibleIds;
  DeviceProperty name;
  DeviceProperty parentHardwareIds;
  DeviceProperty parentName;
  wchar_t instance[kInstanceFieldSize];
  wchar_t parentInstance[kInstanceFieldSize];
};

// Its friendly name, or its description; empty when it has neither.
WideText NameOf(HDEVINFO devices, SP_DEVINFO_DATA& device, DeviceProperty& name) {
  if (name.Read(devices, device, SPDRP_FRIENDLYNAME) == PropertyRead::Whole ||
      name.Read(devices, device, SPDRP_DEVICEDESC) == PropertyRead::Whole) {
    return FirstId(name.Value());
  }
  return {L"", 0};
}

Capability CapabilityOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
  DWORD type = 0;
  DWORD capabilities = 0;
  if (SetupDiGetDeviceRegistryPropertyW(devices, &device, SPDRP_CAPABILITIES, &type,
                                        reinterpret_cast<BYTE*>(&capabilities), sizeof capabilities,
                                        nullptr) == FALSE ||
      type != REG_DWORD) {
    return Capability::Unknown;
  }
  return (capabilities & kRemovableCapability) != 0 ? Capability::Removable : Capability::NotRemovable;
}

ContainerFacts ContainerOf(HDEVINFO devices, SP_DEVINFO_DATA& device) {
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
  return container;
}

// The device above it: its instance path from the device's own property, and
// its name and most specific hardware ID where it is listed.
ParentFacts ParentOf(HDEVINFO devices, SP_DEVINFO_DATA& device, DeviceReading& reading) {
  ParentFacts parent = {ParentRead::Unknown, {L"", 0}, {L"", 0}, {L"", 0}};
  DEVPROPTYPE type = 0;
  reading.parentInstance[0] = L'\0';
  if (SetupDiGetDevicePropertyW(devices, &device, &kParent, &type,
                                reinterpret_cast<BYTE*>(reading.parentInstance),
                                sizeof reading.parentInstance - sizeof(wchar_t), nullptr, 0) == FALSE ||
      type != DEVPROP_TYPE_STRING || reading.parentInstance[0] == L'\0') {
    return parent;
  }
  const WideText instance = {reading.parentInstance, LengthOf(reading.parentInstance)};
  parent.read = ParentRead::InstanceOnly;
  parent.instance = instance;
  const HDEVINFO above = SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (above == INVALID_HANDLE_VALUE) {
    return parent;
  }
  SP_DEVINFO_DATA aboveData = {};
  aboveData.cbSize = sizeof aboveData;
  if (SetupDiOpenDeviceInfoW(above, reading.parentInstance, nullptr, 0, &aboveData) != FALSE &&
      reading.parentHardwareIds.Read(above, aboveData, SPDRP_HARDWAREID) != PropertyRead::Failed) {
    parent.read = ParentRead::Listed;
    parent.name = NameOf(above, aboveData, reading.parentName);
    const DeviceIds ids = {reading.parentHardwareIds.Value(), {L"", 0}, instance};
    parent.mostSpecificId = MostSpecificHardwareId(ids);
  }
  static_cast<void>(SetupDiDestroyDeviceInfoList(above));
  return parent;
}

}  // namespace

bool WalkDevices(Text keyLevel, Text value, DeviceVisitor& visitor) {
  const HDEVINFO devices = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (devices == INVALID_HANDLE_VALUE) {
    return false;
  }
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  DeviceReading reading;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device) != FALSE; ++i) {
    wchar_t* const instance = reading.instance;
    if (SetupDiGetDeviceInstanceIdW(devices, &device, instance, kInstanceFieldSize, nullptr) == FALSE) {
      instance[0] = L'\0';
    }
    if (reading.hardwareIds.Read(devices, device, SPDRP_HARDWAREID) == PropertyRead::Failed ||
        reading.compatibleIds.Read(devices, device, SPDRP_COMPATIBLEIDS) == PropertyRead::Failed) {
      visitor.TakeUnreadable();
      continue;
    }
    const DeviceIds ids = {reading.hardwareIds.Value(), reading.compatibleIds.Value(),
                           {instance, LengthOf(instance)}};
    const IdMatch match = MatchDevice(ids, keyLevel, value);
    if (match == IdMatch::None) {
      continue;
    }
    // A device installed before but not present now has no node the
    // configuration manager can report on.
    ULONG status = 0;
    ULONG problem = 0;
    const WideText mostSpecificId = MostSpecificHardwareId(ids);
    const DeviceFacts facts = {match,
                               ids.instancePath,
                               mostSpecificId,
                               NameOf(devices, device, reading.name),
                               CM_Get_DevNode_Status(&status, &problem, device.DevInst, 0) == CR_SUCCESS,
                               CapabilityOf(devices, device),
                               ContainerOf(devices, device),
                               ParentOf(devices, device, reading)};
    visitor.Take(facts);
  }
  static_cast<void>(SetupDiDestroyDeviceInfoList(devices));
  return true;
}

}  // namespace notremovable
