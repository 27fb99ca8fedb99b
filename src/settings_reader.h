// Reads the hardware ID from the settings file beside the executable.
#pragma once

#include "constants.h"

namespace notremovable {

// Fills the field with the settings file path. Returns false, with the field
// empty, when the executable's own path cannot be had exactly and in full, when
// a read from its folder may reach another one (WOW64), or when the settings
// path would not fit.
bool GetSettingsFilePath(char (&settingsPath)[kPathFieldSize]);

// Fills the field with "DevID" of section "Settings", or the built-in default
// when the file, the section or the key is missing. The value is passed on
// untrimmed and unchecked. When the settings file cannot be located, exists
// but cannot be read, or holds a value too long to be taken whole, the ID is
// left empty: what was configured is unknown, and the caller refuses an empty ID.
void ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize]);

}  // namespace notremovable
