// The settings reader: where the settings file lies, whether it and its
// surroundings can be trusted, and the profile reader.
#include "win32/settings.h"

#include <windows.h>

#include <cstring>

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

// The exe, judged where it really lies, as a handle on its own file tells.
// Where that is elsewhere than the path it runs from (a link), the folder it
// really lies in must pass as the folder named does; where the system cannot
// tell (a share that denies a folder on the way), it is judged where it was
// named. The exe itself is judged by its name, which leads to the file itself.
Refusal JudgeExe(const char* exePath, std::size_t length, const ProcessAccount& account,
                 SettingsFindings& findings) {
  const FileHandle image(CreateFileA(exePath, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::size_t realLength = 0;
  if (image.IsOpen()) {
    realLength = RealPathOf(image.Get(), findings.exeRealPath, findings.exeError);
  } else {
    findings.exeError = GetLastError();
  }
  findings.exePlace = JudgeWhereabouts(findings.exeRealPath, realLength, exePath, length);
  if (findings.exePlace == Whereabouts::Elsewhere) {
    char realExe[kPathFieldSize];
    // Empty where it did not fit its field, and then no folder is derived.
    const std::size_t realExeLength =
        PlainPathOf(findings.exeRealPath, LengthOf(findings.exeRealPath), realExe, sizeof realExe);
    if (!DeriveExeFolderPath(realExe, realExeLength, findings.realFolderPath)) {
      return Refusal::ExeRealPathTooLong;
    }
    if (CheckTrust(findings.realFolderPath, account, findings.realFolder) != TrustVerdict::Trusted) {
      return Refusal::RealFolderUntrusted;
    }
  }
  return CheckTrust(exePath, account, findings.exe) == TrustVerdict::Trusted ? Refusal::None
                                                                           : Refusal::ExeUntrusted;
}

// The present file, held: it must really lie where it was named, no one but
// trusted principals may change it, and it must be small enough to be read whole.
Refusal JudgeHeldSettings(HANDLE file, const ProcessAccount& account, SettingsFindings& findings) {
  const std::size_t realLength = RealPathOf(file, findings.realPath, findings.error);
  switch (JudgeWhereabouts(findings.realPath, realLength, findings.settingsPath,
                           LengthOf(findings.settingsPath))) {
    case Whereabouts::Unknown:
      return Refusal::SettingsPlaceUnknown;
    case Whereabouts::Elsewhere:
      return Refusal::SettingsElsewhere;
    default:
      break;
  }
  if (CheckHeldTrust(file, account, findings.settings) != TrustVerdict::Trusted) {
    return Refusal::SettingsUntrusted;
  }
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) == FALSE) {
    findings.error = GetLastError();
    return Refusal::SettingsReadFailed;
  }
  findings.fileSize = static_cast<std::uint64_t>(size.QuadPart);
  return findings.fileSize > kLargestSettingsFile ? Refusal::SettingsTooLarge : Refusal::None;
}

// The reader's own answer for a file without the key, section or file.
void TakeDefault(SettingsFindings& findings) {
  std::memcpy(findings.value, kDefaultDeviceId, sizeof kDefaultDeviceId);
  findings.readLength = sizeof kDefaultDeviceId - 1;
}

// One read, with a default that no value equals: the answer tells a file
// without the key from one whose value is the built-in default, and from a
// file the reader failed to read.
Refusal ReadHeldSettings(SettingsFindings& findings) {
  SetLastError(ERROR_SUCCESS);
  findings.readLength = GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kNoValue, findings.value,
                                                 static_cast<DWORD>(kReadBufferSize), findings.settingsPath);
  const DWORD error = GetLastError();
  switch (ClassifyProfileAnswer(findings.value, error)) {
    case ProfileAnswer::NoDevId:
      findings.keyMissing = true;
      TakeDefault(findings);
      return Refusal::None;
    case ProfileAnswer::ReadFailed:
      findings.error = error;
      findings.value[0] = '\0';
      return Refusal::SettingsReadFailed;
    default:
      return Refusal::None;
  }
}

// Nothing looked at yet.
void ClearFindings(SettingsFindings& findings) {
  findings.folderPath[0] = findings.settingsPath[0] = findings.value[0] = '\0';
  findings.exeRealPath[0] = findings.realFolderPath[0] = findings.realPath[0] = '\0';
  findings.keyMissing = false;
  findings.folder.verdict = findings.realFolder.verdict = findings.exe.verdict =
      findings.settings.verdict = TrustVerdict::NotChecked;
  findings.exePlace = Whereabouts::AsNamed;
  findings.file = SettingsFile::NotLooked;
  findings.exeError = findings.error = ERROR_SUCCESS;
  findings.fileSize = 0;
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
  ClearFindings(findings);
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
  const Refusal exeRefusal = JudgeExe(exePath, length, account, findings);
  if (exeRefusal != Refusal::None) {
    return exeRefusal;
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
    const Refusal readRefusal = ReadHeldSettings(findings);
    if (readRefusal != Refusal::None) {
      return readRefusal;
    }
  }
  return TakeWholeValue(findings.value, findings.readLength, deviceId) ? Refusal::None
                                                                       : Refusal::ValueTooLong;
}

Refusal ReadDeviceId(char (&deviceId)[kDeviceIdFieldSize], SettingsFindings& findings) {
  char exePath[kPathFieldSize];
  std::size_t length = 0;
  const Refusal pathRefusal = GetExactExePath(exePath, length);
  if (pathRefusal != Refusal::None) {
    deviceId[0] = '\0';
    return pathRefusal;  // nothing was looked at
  }
  return ReadDeviceIdBeside(exePath, length, deviceId, findings);
}

}  // namespace notremovable
