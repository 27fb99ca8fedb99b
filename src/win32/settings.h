// Reads the hardware ID from the settings file beside the executable, and
// says why when it cannot be trusted to be what was configured.
#pragma once

#include <cstddef>

#include "rules/device_id.h"
#include "rules/paths.h"
#include "rules/settings.h"

namespace notremovable {

// Fills the field with "DevID" of section "Settings" of the settings file
// beside the executable at exePath (its exact long path, length characters),
// or the built-in default when the file, the section or the key is missing.
// The value is passed on untrimmed and unchecked. It reads only what no one
// but trusted principals could have changed, and only while no one writes
// it; otherwise, or when the value is too long to be taken whole, the ID is
// left empty and the reason returned: the caller refuses an empty ID.
Refusal ReadDeviceIdBeside(const char* exePath, std::size_t length,
                           char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings);

// The same for the running executable; the findings are filled only once its
// own path could be had exactly.
Refusal ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings);

}  // namespace notremovable
