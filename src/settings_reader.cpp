// The settings reader: where the settings file lies, whether it and its
// surroundings can be trusted, and the profile reader.
#include "settings_reader.h"

#include <windows.h>

#include <cstring>

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

// What stands at the settings path when the probe could not open it, from
// the folder's listing of the name: the open follows a link, the listing
// does not.
SettingsFile ProbeOpenFailure(const char* settingsPath, DWORD error) {
  OpenFailure failure = {OpenError::Other, false, false, false};
  if (error == ERROR_SHARING_VIOLATION) {
    failure.error = OpenError::Sharing;
  } else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
             error == ERROR_ACCESS_DENIED) {
    failure.error = error == ERROR_ACCESS_DENIED ? OpenError::AccessDenied : OpenError::NotFound;
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA(settingsPath, &found);
    failure.nameListed = search != INVALID_HANDLE_VALUE;
    if (failure.nameListed) {
      failure.folderStands = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      static_cast<void>(FindClose(search));
    } else {
      failure.listingSaysNotFound = GetLastError() == ERROR_FILE_NOT_FOUND;
    }
  }
  return ClassifyOpenFailure(failure);
}

// The present file, held: it must really lie where it was named, and no one
// but trusted principals may change it.
Refusal JudgeHeldSettings(HANDLE file, const ProcessAccount& account, SettingsFindings& findings) {
  const DWORD realLength =
      GetFinalPathNameByHandleA(file, findings.realPath, static_cast<DWORD>(kRealPathFieldSize),
                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  // The call reports the size it needs when the field is too small.
  if (realLength == 0 || realLength >= kRealPathFieldSize) {
    findings.realPath[0] = '\0';
    return Refusal::SettingsElsewhere;
  }
  if (!IsRealPathOf(findings.realPath, realLength, findings.settingsPath,
                    std::strlen(findings.settingsPath))) {
    return Refusal::SettingsElsewhere;
  }
  return CheckHeldTrust(file, account, findings.settings) == TrustVerdict::Trusted
             ? Refusal::None
             : Refusal::SettingsUntrusted;
}

// Nothing looked at yet.
void StartFindings(SettingsFindings& findings) {
  findings.folderPath[0] = findings.settingsPath[0] = findings.value[0] = '\0';
  findings.realPath[0] = '\0';
  findings.keyMissing = false;
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
                           char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings,
                           WhileHeld whileHeld) {
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
  if (file == INVALID_HANDLE_VALUE) {
    findings.error = GetLastError();
    findings.file = ProbeOpenFailure(findings.settingsPath, findings.error);
    const Refusal fileRefusal = RefusalFor(findings.file);
    if (fileRefusal != Refusal::None) {
      return fileRefusal;
    }
    // Nothing, or a folder, at the name: the reader's own answer, taken
    // without asking it, so that no file that appears meanwhile is read unheld.
    std::memcpy(findings.value, kDefaultDeviceId, sizeof kDefaultDeviceId);
    findings.readLength = sizeof kDefaultDeviceId - 1;
  } else {
    findings.file = SettingsFile::Present;
    const Refusal heldRefusal = JudgeHeldSettings(file, account, findings);
    if (heldRefusal != Refusal::None) {
      return heldRefusal;
    }
    findings.readLength =
        GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kDefaultDeviceId, findings.value,
                                 static_cast<DWORD>(kReadBufferSize), findings.settingsPath);
    if (whileHeld != nullptr) {
      whileHeld(findings);
    }
  }
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
  return ReadDeviceIdBeside(exePath, length, deviceId, findings, nullptr);
}

}  // namespace notremovable
