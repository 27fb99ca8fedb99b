// The settings reader: where the settings file lies, whether it and its
// surroundings can be trusted, and the profile reader.
#include "win32/settings.h"

#include <windows.h>

#include "rules/text.h"
#include "win32/handle.h"
#include "win32/paths.h"
#include "win32/trust.h"

namespace notremovable {
namespace {

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
  const std::size_t realLength = RealPathOf(file, findings.realPath);
  if (JudgeWhereabouts(findings.realPath, realLength, findings.settingsPath,
                       LengthOf(findings.settingsPath)) != Whereabouts::AsNamed) {
    return Refusal::SettingsElsewhere;
  }
  return CheckHeldTrust(file, account, findings.settings) == TrustVerdict::Trusted
             ? Refusal::None
             : Refusal::SettingsUntrusted;
}

// Nothing looked at yet.
void ClearFindings(SettingsFindings& findings) {
  findings.folderPath[0] = findings.settingsPath[0] = findings.value[0] = '\0';
  findings.realPath[0] = '\0';
  findings.keyMissing = false;
  findings.folder.verdict = findings.exe.verdict = findings.settings.verdict = TrustVerdict::NotChecked;
  findings.file = SettingsFile::NotLooked;
  findings.error = ERROR_SUCCESS;
  findings.readLength = 0;
}

// The reader's own answer for a file without the key, section or file.
void TakeDefault(SettingsFindings& findings) {
  for (std::size_t i = 0; i < sizeof kDefaultDeviceId; ++i) {
    findings.value[i] = kDefaultDeviceId[i];
  }
  findings.readLength = sizeof kDefaultDeviceId - 1;
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
Refusal GetSettingsFilePath(const char* exePath, std::size_t length, WindowsKind windows,
                            char (&settingsPath)[kPathFieldSize]) {
  settingsPath[0] = '\0';
  if (!ReadsReachExeFolder(exePath, length, windows)) {
    return Refusal::ReadsMayGoElsewhere;
  }
  return DeriveSettingsFilePath(exePath, length, settingsPath) ? Refusal::None
                                                               : Refusal::SettingsPathTooLong;
}

}  // namespace

Refusal ReadDeviceIdBeside(const char* exePath, std::size_t length, WindowsKind windows,
                           char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings) {
  deviceId[0] = '\0';
  ClearFindings(findings);
  const Refusal pathRefusal = GetSettingsFilePath(exePath, length, windows, findings.settingsPath);
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
  const FileHandle held(file);
  if (!held.IsOpen()) {
    findings.error = GetLastError();
    findings.file = ProbeOpenFailure(findings.settingsPath, findings.error);
    const Refusal fileRefusal = RefusalFor(findings.file);
    if (fileRefusal != Refusal::None) {
      return fileRefusal;
    }
    // Nothing, or a folder, at the name: the reader's own answer, taken
    // without asking it, so that no file that appears meanwhile is read unheld.
    TakeDefault(findings);
  } else {
    findings.file = SettingsFile::Present;
    const Refusal heldRefusal = JudgeHeldSettings(file, account, findings);
    if (heldRefusal != Refusal::None) {
      return heldRefusal;
    }
    // One read, with a default that no value equals: the answer tells a file
    // without the key from one whose value is the built-in default.
    findings.readLength =
        GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kNoValue, findings.value,
                                 static_cast<DWORD>(kReadBufferSize), findings.settingsPath);
    findings.keyMissing = IsNoValue(findings.value);
    if (findings.keyMissing) {
      TakeDefault(findings);
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
    ClearFindings(findings);
    return Refusal::ExePathNotExact;
  }
  return ReadDeviceIdBeside(exePath, length, RunningWindowsKind(), deviceId, findings);
}

}  // namespace notremovable
