// The settings reader: the executable's own path and the profile reader.
#include "settings_reader.h"

#include <windows.h>

#include "settings_path.h"

namespace notremovable {

bool GetSettingsFilePath(char (&settingsPath)[kPathFieldSize]) {
  char exePath[kPathFieldSize];
  const DWORD length = GetModuleFileNameA(nullptr, exePath, static_cast<DWORD>(kPathFieldSize));
  // 0 is a failure; a full field means the path was cut off.
  if (length == 0 || length >= kPathFieldSize) {
    settingsPath[0] = '\0';
    return false;
  }
  return DeriveSettingsFilePath(exePath, length, settingsPath);
}

void ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize]) {
  deviceId[0] = '\0';
  char settingsPath[kPathFieldSize];
  if (!GetSettingsFilePath(settingsPath)) {
    return;
  }
  const DWORD length =
      GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kDefaultDeviceId, deviceId,
                               static_cast<DWORD>(kDeviceIdFieldSize), settingsPath);
  // The reader returns size - 1 when it had to cut the value.
  if (length >= kDeviceIdFieldSize - 1) {
    deviceId[0] = '\0';
  }
}

}  // namespace notremovable
