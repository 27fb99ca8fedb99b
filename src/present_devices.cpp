// The present devices, through SetupAPI: their instance paths, hardware IDs
// and descriptions.
#include "present_devices.h"

#include <windows.h>

#include <setupapi.h>

namespace notremovable {
namespace {

// A device's hardware IDs: a list of strings, each ended by a zero, the list by another.
constexpr DWORD kHardwareIdsFieldSize = 4096;

bool SameText(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

// Copies at most the field's size less one, always terminated.
void CopyText(const char* text, char (&field)[kDeviceTextFieldSize]) {
  static_cast<void>(lstrcpynA(field, text, static_cast<int>(kDeviceTextFieldSize)));
}

bool GetText(HDEVINFO devices, SP_DEVINFO_DATA& device, DWORD property, char* field, DWORD size) {
  DWORD type = 0;
  const BOOL got = SetupDiGetDeviceRegistryPropertyA(devices, &device, property, &type,
                                                     reinterpret_cast<BYTE*>(field), size - 2, nullptr);
  if (got == FALSE || (type != REG_SZ && type != REG_MULTI_SZ)) {
    return false;
  }
  field[size - 2] = field[size - 1] = '\0';  // ends any list the call left open
  return true;
}

// The first ID of a device's list that is the text (equal) or is not (!equal); null if none.
const char* FirstInList(const char* list, const char* text, bool equal) {
  for (const char* each = list; *each != '\0'; each += lstrlenA(each) + 1) {
    if (SameText(each, text) == equal) {
      return each;
    }
  }
  return nullptr;
}

void Describe(HDEVINFO devices, SP_DEVINFO_DATA& device, char (&description)[kDeviceTextFieldSize]) {
  if (!GetText(devices, device, SPDRP_FRIENDLYNAME, description, kDeviceTextFieldSize) &&
      !GetText(devices, device, SPDRP_DEVICEDESC, description, kDeviceTextFieldSize)) {
    CopyText("a device without a description", description);
  }
}

}  // namespace

void FindPresentDevices(const char* id, PresentDevices& found) {
  found = {};
  const HDEVINFO devices =
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
  if (devices == INVALID_HANDLE_VALUE) {
    return;
  }
  found.listed = true;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  char instance[kDeviceTextFieldSize];
  char hardwareIds[kHardwareIdsFieldSize];
  for (DWORD i = 0; SetupDiEnumDeviceInfo(devices, i, &device) != FALSE; ++i) {
    if (SetupDiGetDeviceInstanceIdA(devices, &device, instance, static_cast<DWORD>(sizeof instance),
                                    nullptr) == FALSE) {
      instance[0] = '\0';
    }
    if (!GetText(devices, device, SPDRP_HARDWAREID, hardwareIds, kHardwareIdsFieldSize)) {
      hardwareIds[0] = '\0';  // an empty list
    }
    if (!found.isInstancePath && SameText(instance, id)) {
      found.isInstancePath = true;
      Describe(devices, device, found.instanceDescription);
      const char* hardwareId = FirstInList(hardwareIds, instance, false);
      CopyText(hardwareId != nullptr ? hardwareId : "", found.instanceHardwareId);
    } else if (FirstInList(hardwareIds, id, true) != nullptr) {
      if (found.count < kMaxDevicesNamed) {
        Describe(devices, device, found.descriptions[found.count]);
      }
      ++found.count;
    }
  }
  static_cast<void>(SetupDiDestroyDeviceInfoList(devices));
}

}  // namespace notremovable
