// Windows' device properties of a device's container (as devpkey.h names
// them): whether the device is in the computer's own container, and the
// container's ID. Named once for the check program and its test helper.
#pragma once

#include <windows.h>

#include <devpropdef.h>

namespace notremovable {

inline constexpr DEVPROPKEY kInLocalMachineContainer = {
    {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 4};
inline constexpr DEVPROPKEY kContainerId = {
    {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 2};

}  // namespace notremovable
