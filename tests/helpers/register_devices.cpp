// Test helper: registers a device as an installer does and prints its
// instance path, or removes all it registered.
// "add NAME HARDWARE_IDS COMPATIBLE_IDS CONTAINER CAPABILITY PARENT" (IDs
// separated by ",", "-" for none; CONTAINER: "computer" in the computer's own
// container, "computer-id" only with the computer's container ID, "own" a
// container of its own, "none"; CAPABILITY: "removable", "fixed" or "-";
// PARENT: the instance path of the device above it, or "-"), or "clear".
// Names and IDs are taken whole, as UTF-16. Exit 0 when done.
#include <windows.h>

#include <cfgmgr32.h>
#include <devpropdef.h>
#include <setupapi.h>

#include <cstdio>
#include <cwchar>

#include "check/device_properties_win32.h"

// MinGW's header does not declare it.
extern "C" WINBOOL WINAPI SetupDiSetDevicePropertyW(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*,
                                                    DEVPROPTYPE, const BYTE*, DWORD, DWORD);

namespace {

using notremovable::kContainerId;
using notremovable::kInLocalMachineContainer;
using notremovable::kParent;

constexpr wchar_t kEnumerator[] = L"NOTREMOVABLE_TEST";
constexpr wchar_t kInstancePrefix[] = L"ROOT\\NOTREMOVABLE_TEST\\";
constexpr GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID kComputerContainer = {0, 0, 0, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
constexpr GUID kOwnContainer = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

bool Is(const wchar_t* argument, const wchar_t* word) { return std::wcscmp(argument, word) == 0; }

// "A,B" as the list "A\0B\0\0"; its size in bytes, or 0 for "-".
DWORD ToList(const wchar_t* ids, wchar_t (&list)[1024]) {
  if (Is(ids, L"-")) {
    return 0;
  }
  const std::size_t length = std::wcslen(ids);
  if (length + 2 > sizeof list / sizeof *list) {
    return 0;
  }
  for (std::size_t i = 0; i <= length; ++i) {
    list[i] = ids[i] == L',' ? L'\0' : ids[i];
  }
  list[length + 1] = L'\0';
  return static_cast<DWORD>((length + 2) * sizeof(wchar_t));
}

bool SetProperty(HDEVINFO set, SP_DEVINFO_DATA& device, const DEVPROPKEY& key, DEVPROPTYPE type,
                 const void* value, DWORD size) {
  return SetupDiSetDevicePropertyW(set, &device, &key, type, static_cast<const BYTE*>(value), size, 0) != FALSE;
}

bool SetRegistryProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property, const void* value, DWORD size) {
  return size == 0 ||
         SetupDiSetDeviceRegistryPropertyW(set, &device, property, static_cast<const BYTE*>(value), size) != FALSE;
}

bool Add(wchar_t** argv) {
  const HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  wchar_t hardware[1024];
  wchar_t compatible[1024];
  const wchar_t* const name = argv[2];
  const wchar_t* const container = argv[5];
  const wchar_t* const capability = argv[6];
  const wchar_t* const parent = argv[7];
  bool done = set != INVALID_HANDLE_VALUE &&
              SetupDiCreateDeviceInfoW(set, kEnumerator, &kSystemClass, nullptr, nullptr, DICD_GENERATE_ID,
                                       &device) != FALSE &&
              SetRegistryProperty(set, device, SPDRP_FRIENDLYNAME, name,
                                  static_cast<DWORD>((std::wcslen(name) + 1) * sizeof(wchar_t))) &&
              SetRegistryProperty(set, device, SPDRP_HARDWAREID, hardware, ToList(argv[3], hardware)) &&
              SetRegistryProperty(set, device, SPDRP_COMPATIBLEIDS, compatible, ToList(argv[4], compatible)) &&
              SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr) != FALSE;
  const bool own = Is(container, L"own");
  if (done && (own || Is(container, L"computer"))) {
    const DEVPROP_BOOLEAN inComputer = own ? DEVPROP_FALSE : DEVPROP_TRUE;
    done = SetProperty(set, device, kInLocalMachineContainer, DEVPROP_TYPE_BOOLEAN, &inComputer, sizeof inComputer);
  }
  if (done && (own || Is(container, L"computer-id"))) {
    const GUID& id = own ? kOwnContainer : kComputerContainer;
    done = SetProperty(set, device, kContainerId, DEVPROP_TYPE_GUID, &id, sizeof id);
  }
  if (done && !Is(capability, L"-")) {
    const DWORD capabilities = Is(capability, L"removable") ? CM_DEVCAP_REMOVABLE : 0;
    done = SetRegistryProperty(set, device, SPDRP_CAPABILITIES, &capabilities, sizeof capabilities);
  }
  if (done && !Is(parent, L"-")) {
    done = SetProperty(set, device, kParent, DEVPROP_TYPE_STRING, parent,
                       static_cast<DWORD>((std::wcslen(parent) + 1) * sizeof(wchar_t)));
  }
  wchar_t instance[256];
  if (done && SetupDiGetDeviceInstanceIdW(set, &device, instance, 256, nullptr) != FALSE) {
    std::wprintf(L"%ls\n", instance);
  }
  if (set != INVALID_HANDLE_VALUE) {
    SetupDiDestroyDeviceInfoList(set);
  }
  return done;
}

bool Clear() {
  const HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool done = true;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device) != FALSE; ++i) {
    wchar_t instance[256];
    if (SetupDiGetDeviceInstanceIdW(set, &device, instance, 256, nullptr) != FALSE &&
        _wcsnicmp(instance, kInstancePrefix, sizeof kInstancePrefix / sizeof *kInstancePrefix - 1) == 0) {
      done = SetupDiRemoveDevice(set, &device) != FALSE && done;
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return done;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 8 && Is(argv[1], L"add")) {
    return Add(argv) ? 0 : 1;
  }
  if (argc == 2 && Is(argv[1], L"clear")) {
    return Clear() ? 0 : 1;
  }
  return 2;
}
