// Windows' device properties that the check program reads (as devpkey.h
// names them): whether the device is in the computer's own container, the
// container's ID, and the device above it. Named once for the check program
// and its test helper.
#pragma once

#include <windows.h>

#include <devpropdef.h>

namespace notremovable {

inline constexpr DEVPROPKEY kInLocalMachineContainer = {
    {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 4};
inline constexpr DEVPROPKEY kContainerId = {
    {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 2};

inline constexpr DEVPROPKEY kParent = {
    {0x4340a6c5, 0x93fa, 0x4706, {0x97, 0x2c, 0x7b, 0x64, 0x80, 0x08, 0xa5, 0xa7}}, 8};

}  // namespace notremovable
