// The settings reader: where the settings file lies, whether it and its
// surroundings can be trusted, and the profile reader.
#include "settings_reader.h"

#include <windows.h>

#include "exe_path.h"
#include "override_key.h"
#include "settings_path.h"

namespace notremovable {
namespace {

// Closes the file handle it was given, if that is one, when it goes.
class HandleCloser {
 public:
  explicit HandleCloser(HANDLE handle) : handle_(handle) {}
  ~HandleCloser() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      static_cast<void>(CloseHandle(handle_));
    }
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE handle_;
};

// What stands at the settings path when the probe could not open it. The
// profile reader answers with the default both when the file is missing and
// when it cannot read it: only nothing at all at that name, or a folder
// (which the reader skips as well), lets the default stand.
SettingsFile ClassifyOpenFailure(const char* settingsPath, DWORD error) {
  if (error == ERROR_SHARING_VIOLATION) {
    return SettingsFile::Held;
  }
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    // The open follows a link; the folder's listing shows the name itself.
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(settingsPath, &found);
    if (search != INVALID_HANDLE_VALUE) {
      static_cast<void>(FindClose(search));
      return SettingsFile::LinkToNothing;
    }
    return GetLastError() == ERROR_FILE_NOT_FOUND ? SettingsFile::Missing
                                                  : SettingsFile::LinkToNothing;
  }
  // A folder cannot be opened as a file: access denied, like an unreadable file.
  const DWORD attributes = error == ERROR_ACCESS_DENIED ? GetFileAttributesA(settingsPath)
                                                        : INVALID_FILE_ATTRIBUTES;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
             ? SettingsFile::Folder
             : SettingsFile::Unreadable;
}

// Nothing looked at yet.
void StartFindings(SettingsFindings& findings) {
  findings.folderPath[0] = findings.settingsPath[0] = findings.value[0] = '\0';
  findings.folder.verdict = findings.exe.verdict = findings.settings.verdict = TrustVerdict::NotChecked;
  findings.file = SettingsFile::NotLooked;
  findings.error = ERROR_SUCCESS;
  findings.readLength = 0;
}

Refusal RefusalFor(SettingsFile file) {
  switch (file) {
    case SettingsFile::Held:
      return Refusal::SettingsHeld;
    case SettingsFile::LinkToNothing:
      return Refusal::SettingsLinkToNothing;
    case SettingsFile::Unreadable:
      return Refusal::SettingsUnreadable;
    default:
      return Refusal::None;
  }
}

// Under WOW64 a read from a system folder may reach another folder; the
// settings path must fit its field.
Refusal GetSettingsFilePath(const char* exePath, std::size_t length,
                            char (&settingsPath)[kPathFieldSize]) {
  settingsPath[0] = '\0';
  if (!ReadsReachExeFolder(exePath, length)) {
    return Refusal::ReadsMayGoElsewhere;
  }
  return DeriveSettingsFilePath(exePath, length, settingsPath) ? Refusal::None
                                                               : Refusal::SettingsPathTooLong;
}

}  // namespace

Refusal ReadDeviceIdBeside(const char* exePath, std::size_t length,
                           char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings) {
  deviceId[0] = '\0';
  StartFindings(findings);
  const Refusal pathRefusal = GetSettingsFilePath(exePath, length, findings.settingsPath);
  if (pathRefusal != Refusal::None) {
    return pathRefusal;
  }
  // Cannot fail where the settings path could be derived: the folder is shorter.
  static_cast<void>(DeriveExeFolderPath(exePath, length, findings.folderPath));

  // Whoever may change the folder, the exe or the file decides what runs and
  // what it reads: only trusted principals may.
  ProcessAccount account;
  if (!GetProcessAccount(account)) {
    return Refusal::AccountUnknown;
  }
  if (CheckTrust(findings.folderPath, account, findings.folder) != TrustVerdict::Trusted) {
    return Refusal::FolderUntrusted;
  }
  if (CheckTrust(exePath, account, findings.exe) != TrustVerdict::Trusted) {
    return Refusal::ExeUntrusted;
  }

  // Read sharing only, held until the profile reader is done: no one can
  // write, replace or delete the file while it is judged and read.
  const HANDLE file = CreateFileA(findings.settingsPath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  const HandleCloser closer(file);
  if (file != INVALID_HANDLE_VALUE) {
    findings.file = SettingsFile::Present;
    if (CheckTrust(findings.settingsPath, account, findings.settings) != TrustVerdict::Trusted) {
      return Refusal::SettingsUntrusted;
    }
  } else {
    findings.error = GetLastError();
    findings.file = ClassifyOpenFailure(findings.settingsPath, findings.error);
    const Refusal fileRefusal = RefusalFor(findings.file);
    if (fileRefusal != Refusal::None) {
      return fileRefusal;
    }
  }
  findings.readLength =
      GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kDefaultDeviceId, findings.value,
                               static_cast<DWORD>(kReadBufferSize), findings.settingsPath);
  return TakeWholeValue(findings.value, findings.readLength, deviceId) ? Refusal::None
                                                                       : Refusal::ValueTooLong;
}

Refusal ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings) {
  char exePath[kPathFieldSize];
  const std::size_t length = GetExactExePath(exePath);
  if (length == 0) {
    deviceId[0] = '\0';
    StartFindings(findings);
    return Refusal::ExePathNotExact;
  }
  return ReadDeviceIdBeside(exePath, length, deviceId, findings);
}

}  // namespace notremovable
