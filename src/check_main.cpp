// notremovable-check: tells what notremovable.exe would do on this PC, and
// why, changing nothing. Usage: notremovable-check.exe [EXE]; the exe judged
// is by default notremovable.exe beside this one. One fact a line; the exit
// status is the one the exe would end with, or 2 when it cannot be judged.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "check_report.h"
#include "constants.h"
#include "device_match.h"
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

// The report goes to a stream as it is written.
class StreamReport final : public ReportOut {
 public:
  explicit StreamReport(std::FILE* stream) : stream_(stream) {}
  void Write(const char* text, std::size_t length) override {
    static_cast<void>(std::fwrite(text, 1, length, stream_));
  }

 private:
  std::FILE* stream_;
};

// A principal by its account name, or by its SID where it has none.
void NamePrincipal(const void* sid, const ProcessAccount& account, char (&name)[kNameFieldSize]) {
  char user[kNameFieldSize];
  char domain[kNameFieldSize];
  DWORD userLength = kNameFieldSize;
  DWORD domainLength = kNameFieldSize;
  SID_NAME_USE use = SidTypeUnknown;
  if (LookupAccountSidA(nullptr, const_cast<void*>(sid), user, &userLength, domain, &domainLength,
                        &use) != FALSE) {
    static_cast<void>(std::snprintf(name, sizeof name, "%s%s%s", domain,
                                    domain[0] != '\0' ? "\\" : "", user));
    return;
  }
  const SidFacts facts = FactsOfSid(sid, account);
  int used = std::snprintf(name, sizeof name, "S-1-%lu", static_cast<unsigned long>(facts.authority));
  for (std::size_t i = 0; i < facts.subAuthorityCount && used > 0 &&
                          static_cast<std::size_t>(used) < sizeof name;
       ++i) {
    used += std::snprintf(name + used, sizeof name - static_cast<std::size_t>(used), "-%lu",
                          static_cast<unsigned long>(facts.subAuthorities[i]));
  }
}

// Whether a trusted object is trusted only because it belongs to the account
// that runs the check: judged again for an account that owns nothing.
bool TrustedOnlyForAccount(const TrustFinding& finding) {
  if (finding.verdict != TrustVerdict::Trusted) {
    return false;
  }
  static SID nobody = {SID_REVISION, 1, SECURITY_NULL_SID_AUTHORITY, {SECURITY_NULL_RID}};
  ProcessAccount noAccount = {};
  noAccount.sid = &nobody;
  static TrustFinding again;
  return JudgeSecurity(finding.descriptor, noAccount, again) != TrustVerdict::Trusted;
}

NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   const ProcessAccount& account, char (&name)[kNameFieldSize]) {
  name[0] = '\0';
  if (finding.verdict != TrustVerdict::NotChecked && finding.principal != nullptr) {
    NamePrincipal(finding.principal, account, name);
  }
  return {&finding, path, isFolder, name, TrustedOnlyForAccount(finding)};
}

// The system's message for an error, without its final line break and stop.
void SystemMessage(unsigned long error, char (&message)[kMessageFieldSize]) {
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, message, static_cast<DWORD>(sizeof message), nullptr);
  while (length > 0 && (message[length - 1] == '\r' || message[length - 1] == '\n' ||
                        message[length - 1] == ' ' || message[length - 1] == '.')) {
    --length;
  }
  message[length] = '\0';
  if (length == 0) {
    static_cast<void>(std::snprintf(message, sizeof message, "no message"));
  }
}

// What stands at the exe's key now, read only.
KeyNow ReadKeyNow(const char* keyPath, char (&message)[kMessageFieldSize]) {
  KeyNow now = {KeyState::NoKey, 0, REG_NONE, ERROR_SUCCESS, message};
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    if (opened != ERROR_FILE_NOT_FOUND) {
      now.state = KeyState::Unreadable;
      now.error = static_cast<unsigned long>(opened);
      SystemMessage(now.error, message);
    }
    return now;
  }
  DWORD type = REG_NONE;
  DWORD data = 0;
  DWORD size = sizeof data;
  const LONG queried =
      RegQueryValueExA(key, kRemovableValueName, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
  static_cast<void>(RegCloseKey(key));
  now.data = data;
  now.type = type;
  now.state = queried == ERROR_FILE_NOT_FOUND                                       ? KeyState::WithoutValue
              : queried == ERROR_SUCCESS && type == REG_DWORD && size == sizeof data ? KeyState::Dword
                                                                                     : KeyState::OtherType;
  return now;
}

// Asked while the settings file is still held: a default that no value can
// equal, since no line of the file holds a line break, tells a file without
// the key from one whose value equals the default.
void TellKeyMissing(SettingsFindings& findings) {
  static constexpr char kNoValue[] = "\n(none)";
  char probe[sizeof kNoValue];
  findings.keyMissing =
      GetPrivateProfileStringA(kSettingsSection, kDeviceIdKey, kNoValue, probe,
                               static_cast<DWORD>(sizeof probe), findings.settingsPath) ==
          sizeof kNoValue - 1 &&
      std::strcmp(probe, kNoValue) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t target[kTargetFieldSize];
  DWORD targetLength = argc <= 2 ? GetTargetPath(argc, argv, target) : 0;
  StreamReport errors(stderr);
  if (targetLength == 0) {
    ReportLine(errors, "usage").Own("notremovable-check.exe [EXE]");
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
  // Shown with '?' for what the code page cannot write, never a look-alike.
  char shown[kTargetFieldSize * 2];
  const auto show = [&target, &shown]() {
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, target, -1, shown,
                               static_cast<int>(sizeof shown), nullptr, nullptr) > 0
               ? shown
               : "(a path that cannot be shown)";
  };
  if (readsReachFolder) {
    targetLength = ExpandExistingFile(target);
    if (targetLength == 0) {
      ReportLine(errors, "notremovable-check").Own("no such exe: ").Outside(show());
      return kExitCannotJudge;
    }
  }

  StreamReport out(stdout);
  ProcessAccount account;
  char accountName[kNameFieldSize] = "";
  const bool accountKnown = GetProcessAccount(account);
  if (accountKnown) {
    NamePrincipal(account.sid, account, accountName);
  }
  BOOL isWow64 = FALSE;
  const WindowsKind windows = IsWow64Process(GetCurrentProcess(), &isWow64) == FALSE ? WindowsKind::Unknown
                              : isWow64 != FALSE                                     ? WindowsKind::Bits64
                                                                                     : WindowsKind::Bits32;
  WriteHeaderLines(out, show(), accountKnown ? accountName : nullptr, windows);

  char exePath[kPathFieldSize];
  exePath[0] = '\0';
  char deviceId[kDeviceIdFieldSize];
  deviceId[0] = '\0';
  static SettingsFindings findings;
  std::size_t exeLength = 0;
  Refusal refusal = Refusal::ReadsMayGoElsewhere;
  if (readsReachFolder) {
    exeLength = ExactPathAsModule(target, targetLength, exePath);
    refusal = exeLength == 0 ? Refusal::ExePathNotExact
                             : ReadDeviceIdBeside(exePath, exeLength, deviceId, findings, TellKeyMissing);
  }
  char names[3][kNameFieldSize];
  // Printed only for a settings file that cannot be read.
  char message[kMessageFieldSize] = "";
  if (exeLength != 0 && findings.file == SettingsFile::Unreadable) {
    SystemMessage(findings.error, message);
  }
  const SettingsReport report = {
      refusal,
      exeLength != 0 ? &findings : nullptr,
      exePath,
      accountName,
      message,
      Named(findings.folder, findings.folderPath, true, account, names[0]),
      Named(findings.exe, exePath, false, account, names[1]),
      Named(findings.settings, findings.settingsPath, false, account, names[2])};
  WriteSettingsLines(out, report);

  const bool actedOn = refusal == Refusal::None && IsDeviceIdActedOn(deviceId);
  char keyPath[kOverrideKeyPathFieldSize];
  if (actedOn) {
    ComposeOverrideKeyPath(deviceId, keyPath);
    char windowsKeyPath[kOverrideKeyPathFieldSize];
    ComposeWindowsOverrideKeyPath(deviceId, windowsKeyPath);
    char keyMessage[kMessageFieldSize] = "";
    WriteKeyLines(out, keyPath, windowsKeyPath, ReadKeyNow(keyPath, keyMessage));
    WriteDeviceSummary(out, ReportDevicesWithId(deviceId, out));
  }
  return WriteVerdict(out, report, actedOn ? keyPath : nullptr);
}
