// Test helper: registers a device as an installer does, or removes all it
// registered. "add NAME HARDWARE_IDS COMPATIBLE_IDS CONTAINER" (IDs separated
// by ",", "-" for none; CONTAINER: "computer" in the computer's own container,
// "computer-id" only with the computer's container ID, "own" a container of
// its own, "none"), or "clear". Exit 0 when done.
#include <windows.h>

#include <devpropdef.h>
#include <setupapi.h>

#include <cstring>

#include "check/device_properties_win32.h"

// MinGW's header does not declare it.
extern "C" WINBOOL WINAPI SetupDiSetDevicePropertyW(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*,
                                                    DEVPROPTYPE, const BYTE*, DWORD, DWORD);

namespace {

using notremovable::kContainerId;
using notremovable::kInLocalMachineContainer;

constexpr char kEnumerator[] = "NOTREMOVABLE_TEST";
constexpr char kInstancePrefix[] = "ROOT\\NOTREMOVABLE_TEST\\";
constexpr GUID kSystemClass = {0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
constexpr GUID kComputerContainer = {0, 0, 0, {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}};
constexpr GUID kOwnContainer = {0x12345678, 0x9abc, 0xdef0, {1, 2, 3, 4, 5, 6, 7, 8}};

// "A,B" as the list "A\0B\0\0"; its size, or 0 for "-".
DWORD ToList(const char* ids, char (&list)[1024]) {
  if (std::strcmp(ids, "-") == 0) {
    return 0;
  }
  const std::size_t length = std::strlen(ids);
  if (length + 2 > sizeof list) {
    return 0;
  }
  for (std::size_t i = 0; i <= length; ++i) {
    list[i] = ids[i] == ',' ? '\0' : ids[i];
  }
  list[length + 1] = '\0';
  return static_cast<DWORD>(length + 2);
}

bool Add(char** argv) {
  const HDEVINFO set = SetupDiCreateDeviceInfoList(&kSystemClass, nullptr);
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  char hardware[1024];
  char compatible[1024];
  const DWORD hardwareSize = ToList(argv[3], hardware);
  const DWORD compatibleSize = ToList(argv[4], compatible);
  bool done = set != INVALID_HANDLE_VALUE &&
              SetupDiCreateDeviceInfoA(set, kEnumerator, &kSystemClass, nullptr, nullptr,
                                       DICD_GENERATE_ID, &device) != FALSE &&
              SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME,
                                                reinterpret_cast<const BYTE*>(argv[2]),
                                                static_cast<DWORD>(std::strlen(argv[2]) + 1)) != FALSE &&
              (hardwareSize == 0 ||
               SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                 reinterpret_cast<const BYTE*>(hardware), hardwareSize) != FALSE) &&
              (compatibleSize == 0 ||
               SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_COMPATIBLEIDS,
                                                 reinterpret_cast<const BYTE*>(compatible), compatibleSize) != FALSE) &&
              SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr) != FALSE;
  const char* container = argv[5];
  const bool own = std::strcmp(container, "own") == 0;
  if (done && (own || std::strcmp(container, "computer") == 0)) {
    const DEVPROP_BOOLEAN inComputer = own ? DEVPROP_FALSE : DEVPROP_TRUE;
    done = SetupDiSetDevicePropertyW(set, &device, &kInLocalMachineContainer, DEVPROP_TYPE_BOOLEAN,
                                     reinterpret_cast<const BYTE*>(&inComputer), sizeof inComputer, 0) != FALSE;
  }
  if (done && (own || std::strcmp(container, "computer-id") == 0)) {
    const GUID& id = own ? kOwnContainer : kComputerContainer;
    done = SetupDiSetDevicePropertyW(set, &device, &kContainerId, DEVPROP_TYPE_GUID,
                                     reinterpret_cast<const BYTE*>(&id), sizeof id, 0) != FALSE;
  }
  if (set != INVALID_HANDLE_VALUE) {
    SetupDiDestroyDeviceInfoList(set);
  }
  return done;
}

bool Clear() {
  const HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) {
    return false;
  }
  bool done = true;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device) != FALSE; ++i) {
    char instance[256];
    if (SetupDiGetDeviceInstanceIdA(set, &device, instance, sizeof instance, nullptr) != FALSE &&
        _strnicmp(instance, kInstancePrefix, sizeof kInstancePrefix - 1) == 0) {
      done = SetupDiRemoveDevice(set, &device) != FALSE && done;
    }
  }
  SetupDiDestroyDeviceInfoList(set);
  return done;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "add") == 0) {
    return Add(argv) ? 0 : 1;
  }
  if (argc == 2 && std::strcmp(argv[1], "clear") == 0) {
    return Clear() ? 0 : 1;
  }
  return 2;
}
