// The present devices that have a hardware ID, or whose instance path it is,
// as SetupAPI lists them.
#pragma once

#include <cstddef>

namespace notremovable {

inline constexpr std::size_t kDeviceTextFieldSize = 256;
inline constexpr std::size_t kMaxDevicesNamed = 8;

struct PresentDevices {
  bool listed;          // SetupAPI gave the list
  bool isInstancePath;  // the ID is a present device's instance path
  char instanceDescription[kDeviceTextFieldSize];
  char instanceHardwareId[kDeviceTextFieldSize];  // its first hardware ID that is no instance path
  std::size_t count;  // devices that have the ID as a hardware ID; the first few are named
  char descriptions[kMaxDevicesNamed][kDeviceTextFieldSize];
};

// One walk over the present devices. A device whose instance path the ID is
// is not counted among those that have it as a hardware ID: Wine lists a
// device's instance path among its hardware IDs, which Windows does not.
void FindPresentDevices(const char* id, PresentDevices& found);

}  // namespace notremovable
