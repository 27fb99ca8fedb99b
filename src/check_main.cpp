// notremovable-check: tells what notremovable.exe would do on this PC, and
// why, changing nothing. Usage: notremovable-check.exe [EXE]; the exe judged
// is by default notremovable.exe beside this one. One fact a line; the exit
// status is the one the exe would end with, or 2 when it cannot be judged.
#include <windows.h>

#include <cstdio>

#include "constants.h"
#include "exe_path.h"
#include "override_key.h"
#include "present_devices.h"
#include "settings_reader.h"
#include "trust_check.h"
#include "trust_rule.h"

namespace {

using namespace notremovable;

constexpr int kExitCannotJudge = 2;
// The exe named may lie deeper than the exe itself could take.
constexpr DWORD kTargetFieldSize = 1024;
constexpr wchar_t kDefaultTarget[] = L"notremovable.exe";
constexpr std::size_t kNameFieldSize = 256;
constexpr std::size_t kMessageFieldSize = 512;
constexpr char kRootName[] = "HKEY_LOCAL_MACHINE";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The full path of the exe to judge: the one named, or the one beside this
// program. Its length, or 0 when there is none.
DWORD GetTargetPath(int argc, wchar_t** argv, wchar_t (&target)[kTargetFieldSize]) {
  DWORD length = 0;
  if (argc == 2) {
    length = GetFullPathNameW(argv[1], kTargetFieldSize, target, nullptr);
  } else {
    length = GetModuleFileNameW(nullptr, target, kTargetFieldSize);
    DWORD nameStart = length;
    while (nameStart > 0 && !IsSeparator(target[nameStart - 1])) {
      --nameStart;
    }
    const DWORD nameLength = sizeof kDefaultTarget / sizeof *kDefaultTarget - 1;
    if (length == 0 || nameStart + nameLength >= kTargetFieldSize) {
      return 0;
    }
    for (DWORD i = 0; i <= nameLength; ++i) {
      target[nameStart + i] = kDefaultTarget[i];
    }
    length = nameStart + nameLength;
  }
  return length < kTargetFieldSize ? length : 0;
}

// Expands the path in place to its long form; 0 when no such file is there.
DWORD ExpandExistingFile(wchar_t (&target)[kTargetFieldSize]) {
  const DWORD length = GetLongPathNameW(target, target, kTargetFieldSize);
  const DWORD attributes = GetFileAttributesW(target);
  const bool isFile = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return isFile && length < kTargetFieldSize ? length : 0;
}

// The path as the exe would have it: the module calls' two renderings,
// cut as they cut, then checked as the exe checks its own.
std::size_t ExactPathAsModule(const wchar_t* target, DWORD length, char (&exePath)[kPathFieldSize]) {
  wchar_t widePath[kPathFieldSize] = {};
  const DWORD wideLength = length < kPathFieldSize ? length : static_cast<DWORD>(kPathFieldSize);
  for (DWORD i = 0; i < wideLength && i + 1 < kPathFieldSize; ++i) {
    widePath[i] = target[i];
  }
  // Best fit included, as the ANSI module call renders a name.
  const int ansiLength = WideCharToMultiByte(CP_ACP, 0, target, static_cast<int>(length), nullptr, 0,
                                             nullptr, nullptr);
  exePath[0] = '\0';
  std::size_t reported = kPathFieldSize;
  if (ansiLength > 0 && static_cast<std::size_t>(ansiLength) < kPathFieldSize) {
    reported = static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, target, static_cast<int>(length),
                                                            exePath, ansiLength, nullptr, nullptr));
    exePath[reported] = '\0';
  }
  return ExactLongPath(exePath, reported, widePath, wideLength);
}

// A principal by its account name, or by its SID where it has none.
void PrintPrincipal(const void* sid, const ProcessAccount& account) {
  char name[kNameFieldSize];
  char domain[kNameFieldSize];
  DWORD nameLength = kNameFieldSize;
  DWORD domainLength = kNameFieldSize;
  SID_NAME_USE use = SidTypeUnknown;
  if (LookupAccountSidA(nullptr, const_cast<void*>(sid), name, &nameLength, domain, &domainLength,
                        &use) != FALSE) {
    std::printf("%s%s%s", domain, domain[0] != '\0' ? "\\" : "", name);
    return;
  }
  const SidFacts facts = FactsOfSid(sid, account);
  std::printf("S-1-%lu", static_cast<unsigned long>(facts.authority));
  for (std::size_t i = 0; i < facts.subAuthorityCount; ++i) {
    std::printf("-%lu", static_cast<unsigned long>(facts.subAuthorities[i]));
  }
}

// Why the object is not trusted, as a clause: "BUILTIN\Users may add files to C:\Tools\".
void PrintDistrust(const TrustFinding& finding, const char* path, bool isFolder,
                   const ProcessAccount& account) {
  switch (finding.verdict) {
    case TrustVerdict::OwnerUntrusted:
      std::printf("%s is owned by ", path);
      PrintPrincipal(finding.principal, account);
      std::printf(", who is not trusted and may change it");
      break;
    case TrustVerdict::WriterUntrusted:
      PrintPrincipal(finding.principal, account);
      std::printf(" may %s %s", WriteRightPhrase(finding.mask, isFolder), path);
      break;
    case TrustVerdict::EntryUnread:
      std::printf("%s has an access entry of a kind that is not read (counted as an untrusted writer)",
                  path);
      break;
    case TrustVerdict::NoDacl:
      std::printf("%s has no permissions at all (FAT or exFAT, or a NULL DACL): anyone may change it",
                  path);
      break;
    default:
      std::printf("who may change %s cannot be read", path);
      break;
  }
}

void PrintTrustLine(const char* what, const TrustFinding& finding, const char* path, bool isFolder,
                    const ProcessAccount& account) {
  if (finding.verdict == TrustVerdict::NotChecked) {
    return;
  }
  std::printf("%s: ", what);
  if (finding.verdict == TrustVerdict::Trusted) {
    std::printf("trusted (only trusted accounts own and may change %s)", path);
  } else {
    PrintDistrust(finding, path, isFolder, account);
  }
  std::printf("\n");
}

void PrintSystemMessage(unsigned long error) {
  char message[kMessageFieldSize];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, message, static_cast<DWORD>(sizeof message), nullptr);
  while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                        message[length - 1] == ' ' || message[length - 1] == '.')) {
    --length;
  }
  message[length] = '\0';
  std::printf("%s (error %lu)", length > 0 ? message : "no message", error);
}

void PrintSettingsFileLine(const SettingsFindings& findings) {
  if (findings.settingsPath[0] == '\0') {
    return;
  }
  std::printf("settings file: %s: ", findings.settingsPath);
  switch (findings.file) {
    case SettingsFile::NotLooked:
      std::printf("not looked at, since an earlier check refuses");
      break;
    case SettingsFile::Present:
      std::printf("present");
      break;
    case SettingsFile::Missing:
      std::printf("missing, so the built-in default applies");
      break;
    case SettingsFile::Folder:
      std::printf("a folder stands at that name, so the built-in default applies");
      break;
    case SettingsFile::Held:
      std::printf("held open by a program that is writing it (or that does not share reading)");
      break;
    case SettingsFile::LinkToNothing:
      std::printf("a link to nothing (its target is missing)");
      break;
    default:
      std::printf("unreadable: ");
      PrintSystemMessage(findings.error);
      break;
  }
  std::printf("\n");
}

void PrintValueLines(const SettingsFindings& findings, Refusal refusal) {
  if (refusal != Refusal::None && refusal != Refusal::ValueTooLong) {
    return;
  }
  const std::size_t length = static_cast<std::size_t>(lstrlenA(findings.value));
  std::printf("value: \"%s\" (%u characters%s)\n", findings.value, static_cast<unsigned>(length),
              findings.file == SettingsFile::Present ? "" : ", the built-in default");
  const IdOddities odd = FindIdOddities(findings.value, length);
  if (odd.space) {
    std::printf("warning: the value holds a space, which a hardware ID never does\n");
  }
  if (odd.semicolon) {
    std::printf("warning: the value holds a ';': a comment after the value is part of it\n");
  }
  if (odd.outsideAscii) {
    std::printf("warning: the value holds characters outside ASCII, which a hardware ID never does\n");
  }
  if (odd.thirdPart) {
    std::printf("warning: the value has a third \\ part, as a device instance path has: use the "
                "device's hardware ID\n");
  }
}

void PrintKeyNow(const char* keyPath) {
  std::printf("key now: ");
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    if (opened == ERROR_FILE_NOT_FOUND) {
      std::printf("no key");
    } else {
      std::printf("cannot be read: ");
      PrintSystemMessage(static_cast<unsigned long>(opened));
    }
    std::printf("\n");
    return;
  }
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  const LONG queried =
      RegQueryValueExA(key, kRemovableValueName, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  static_cast<void>(RegCloseKey(key));
  if (queried == ERROR_FILE_NOT_FOUND) {
    std::printf("the key, without %s\n", kRemovableValueName);
  } else if (queried == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data) {
    std::printf("%s = %lu%s\n", kRemovableValueName, data, data == kRemovableData ? " already" : "");
  } else {
    std::printf("%s of another type or size (type %lu), which the exe would replace\n",
                kRemovableValueName, type);
  }
}

void PrintDeviceLines(const char* id) {
  PresentDevices devices;
  FindPresentDevices(id, devices);
  if (!devices.listed) {
    std::printf("devices: the present devices cannot be listed\n");
  } else if (devices.isInstancePath) {
    std::printf("device: this is the instance path of \"%s\", not a hardware ID; its hardware ID is %s\n",
                devices.instanceDescription, devices.instanceHardwareId);
  } else if (devices.count == 0) {
    std::printf("device: no present device has this hardware ID\n");
  } else {
    for (std::size_t i = 0; i < devices.count && i < kMaxDevicesNamed; ++i) {
      std::printf("device: \"%s\" has this hardware ID\n", devices.descriptions[i]);
    }
    if (devices.count > kMaxDevicesNamed) {
      std::printf("device: and %u more\n", static_cast<unsigned>(devices.count - kMaxDevicesNamed));
    }
  }
}

void PrintReason(Refusal refusal, const SettingsFindings& findings, const char* exePath,
                 const ProcessAccount& account) {
  switch (refusal) {
    case Refusal::ExePathNotExact:
      std::printf("the exe's path is 256 characters or longer, or has letters that the ANSI code "
                  "page cannot write exactly");
      break;
    case Refusal::ReadsMayGoElsewhere:
      std::printf("on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where "
                  "Windows redirects what it reads");
      break;
    case Refusal::SettingsPathTooLong:
      std::printf("the settings file's path would be 256 characters or longer");
      break;
    case Refusal::AccountUnknown:
      std::printf("the account it runs as cannot be read");
      break;
    case Refusal::FolderUntrusted:
      PrintDistrust(findings.folder, findings.folderPath, true, account);
      break;
    case Refusal::ExeUntrusted:
      PrintDistrust(findings.exe, exePath, false, account);
      break;
    case Refusal::SettingsUntrusted:
      PrintDistrust(findings.settings, findings.settingsPath, false, account);
      break;
    case Refusal::SettingsUnreadable:
      std::printf("the settings file cannot be read");
      break;
    case Refusal::SettingsHeld:
      std::printf("the settings file is held open by a program that is writing it");
      break;
    case Refusal::SettingsLinkToNothing:
      std::printf("the settings file is a link to nothing");
      break;
    case Refusal::ValueTooLong:
      std::printf("the value is longer than %u characters", static_cast<unsigned>(kLongestDeviceId));
      break;
    default:
      std::printf("the ID is shorter than %u characters", static_cast<unsigned>(kShortestDeviceId));
      break;
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t target[kTargetFieldSize];
  DWORD targetLength = argc <= 2 ? GetTargetPath(argc, argv, target) : 0;
  if (targetLength == 0) {
    static_cast<void>(std::fprintf(stderr, "usage: notremovable-check.exe [EXE]\n"));
    return kExitCannotJudge;
  }
  // As the exe renders its path, best fit included, whatever its length: a
  // 32-bit program cannot even see what lies in System32 under WOW64, but the
  // exe's rule refuses it by its path alone.
  char rendered[kTargetFieldSize * 2];
  const int renderedLength = WideCharToMultiByte(CP_ACP, 0, target, -1, rendered,
                                                 static_cast<int>(sizeof rendered), nullptr, nullptr);
  const bool readsReachFolder =
      renderedLength > 0 &&
      ReadsReachExeFolder(rendered, static_cast<std::size_t>(renderedLength) - 1);
  if (readsReachFolder) {
    targetLength = ExpandExistingFile(target);
    if (targetLength == 0) {
      static_cast<void>(std::fprintf(stderr, "notremovable-check: no such exe: %ls\n", target));
      return kExitCannotJudge;
    }
  }
  // Shown with '?' for what the code page cannot write, never a look-alike.
  char shown[kTargetFieldSize * 2];
  const int shownLength = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, target, -1, shown,
                                              static_cast<int>(sizeof shown), nullptr, nullptr);
  std::printf("judging: %s\n", shownLength > 0 ? shown : "(a path that cannot be shown)");

  ProcessAccount account;
  std::printf("account: ");
  if (GetProcessAccount(account)) {
    PrintPrincipal(account.sid, account);
  } else {
    std::printf("cannot be read");
  }
  BOOL isWow64 = FALSE;
  std::printf("\nwindows: %s\n", IsWow64Process(GetCurrentProcess(), &isWow64) == FALSE
                                     ? "cannot tell 32-bit from 64-bit"
                                 : isWow64 != FALSE ? "64-bit (the exe runs under WOW64)"
                                                    : "32-bit");

  char exePath[kPathFieldSize];
  exePath[0] = '\0';
  char deviceId[kDeviceIdFieldSize];
  deviceId[0] = '\0';
  SettingsFindings findings;
  std::size_t exeLength = 0;
  Refusal refusal = Refusal::ReadsMayGoElsewhere;
  if (readsReachFolder) {
    exeLength = ExactPathAsModule(target, targetLength, exePath);
    refusal = exeLength == 0 ? Refusal::ExePathNotExact
                             : ReadDeviceIdBeside(exePath, exeLength, deviceId, findings, nullptr);
  }
  if (exeLength != 0) {
    PrintSettingsFileLine(findings);
    PrintTrustLine("folder", findings.folder, findings.folderPath, true, account);
    PrintTrustLine("exe", findings.exe, exePath, false, account);
    PrintTrustLine("settings file", findings.settings, findings.settingsPath, false, account);
    PrintValueLines(findings, refusal);
  }

  const bool actedOn = refusal == Refusal::None && IsDeviceIdActedOn(deviceId);
  if (actedOn) {
    char keyPath[kOverrideKeyPathFieldSize];
    ComposeOverrideKeyPath(deviceId, keyPath);
    std::printf("key: %s\\%s\n", kRootName, keyPath);
    PrintKeyNow(keyPath);
    PrintDeviceLines(deviceId);
    std::printf("verdict: would mark %s\\%s (status %d)\n", kRootName, keyPath, kExitWriteAttempted);
    return kExitWriteAttempted;
  }
  std::printf("verdict: would do nothing: ");
  PrintReason(refusal, findings, exePath, account);
  std::printf(" (status %d)\n", kExitIdRefused);
  return kExitIdRefused;
}
