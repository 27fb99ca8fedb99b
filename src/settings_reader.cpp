// The settings reader: where the settings file lies, whether it can be read,
// and the profile reader.
#include "settings_reader.h"

#include <windows.h>

#include "exe_path.h"
#include "override_key.h"
#include "settings_path.h"

namespace notremovable {
namespace {

// The profile reader answers with the default both when the file is missing
// and when it cannot read it. Opening the file first tells the two apart: only
// a missing file (or a folder in its place, which the reader skips as well)
// lets the default stand for what was configured.
bool IsSettingsFileReadableOrMissing(const char* settingsPath) {
  const HANDLE file =
      CreateFileA(settingsPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    static_cast<void>(CloseHandle(file));
    return true;
  }
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return true;
  }
  if (error != ERROR_ACCESS_DENIED) {
    return false;
  }
  // A folder cannot be opened as a file: access denied, like an unreadable file.
  const DWORD attributes = GetFileAttributesA(settingsPath);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

bool GetSettingsFilePath(char (&settingsPath)[kPathFieldSize]) {
  settingsPath[0] = '\0';
  char exePath[kPathFieldSize];
  const std::size_t length = GetExactExePath(exePath);
  if (length == 0 || !ReadsReachExeFolder(exePath, length)) {
    return false;
  }
  return DeriveSettingsFilePath(exePath, length, settingsPath);
}

void ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize]) {
  deviceId[0] = '\0';
  char settingsPath[kPathFieldSize];
  if (!GetSettingsFilePath(settingsPath) || !IsSettingsFileReadableOrMissing(settingsPath)) {
    return;
  }
  char value[kReadBufferSize];
  const DWORD length =
      GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kDefaultDeviceId, value,
                               static_cast<DWORD>(kReadBufferSize), settingsPath);
  TakeWholeValue(value, length, deviceId);
}

}  // namespace notremovable
