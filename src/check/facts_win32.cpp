// Account names, system messages and the key now, through the platform's calls.
#include "check/facts_win32.h"

#include <windows.h>

#include <cstdio>

#include "rules/override_key.h"
#include "rules/paths.h"
#include "rules/settings.h"
#include "win32/handle.h"

namespace notremovable {
namespace {

// Whether a trusted object is trusted only because it belongs to the account
// that runs the check: judged again for an account that owns nothing.
bool TrustedOnlyForAccount(const TrustFinding& finding) {
  if (finding.verdict != TrustVerdict::Trusted) {
    return false;
  }
  // Nobody, S-1-0-0.
  ProcessAccount noAccount = {};
  noAccount.facts.subAuthorityCount = 1;
  static TrustFinding again;
  return JudgeSecurity(finding.descriptor, noAccount, again) != TrustVerdict::Trusted;
}

// A text in the ANSI code page as UTF-16; false when it does not fit.
template <std::size_t FieldSize>
bool Widened(const char* text, wchar_t (&wide)[FieldSize]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(FieldSize)) > 0;
}

}  // namespace

void NamePrincipal(const void* sid, char (&name)[kNameFieldSize]) {
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
  // Its parts, whole: an authority of 2^32 or more too.
  SidFacts facts = {};
  if (!ReadSid(static_cast<const unsigned char*>(sid), facts) || WriteSidText(facts, name, sizeof name) == 0) {
    static_cast<void>(std::snprintf(name, sizeof name, "a SID that cannot be read"));
  }
}

NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   char (&name)[kNameFieldSize]) {
  name[0] = '\0';
  if (finding.verdict != TrustVerdict::NotChecked && finding.principal != nullptr) {
    NamePrincipal(finding.principal, name);
  }
  return {&finding, path, isFolder, name, TrustedOnlyForAccount(finding)};
}

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

bool IsPathButForCase(const char* realPath, const char* path) {
  char plain[kPathFieldSize];
  wchar_t wideReal[kRealPathFieldSize];
  wchar_t widePath[kRealPathFieldSize];
  return PlainPathOf(realPath, LengthOf(realPath), plain, sizeof plain) != 0 && Widened(plain, wideReal) &&
         Widened(path, widePath) && CompareStringOrdinal(wideReal, -1, widePath, -1, TRUE) == CSTR_EQUAL;
}

bool HasWideValueOutsideAscii(const char* settingsPath) {
  unsigned char mark[2] = {};
  DWORD read = 0;
  {
    const FileHandle file(CreateFileA(settingsPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen() || ReadFile(file.Get(), mark, sizeof mark, &read, nullptr) == FALSE) {
      return false;
    }
  }
  wchar_t widePath[kRealPathFieldSize];
  wchar_t section[sizeof kSettingsSection];
  wchar_t key[sizeof kDeviceIdKey];
  static wchar_t value[kReadBufferSize];
  if (read != sizeof mark || mark[0] != 0xFF || mark[1] != 0xFE || !Widened(settingsPath, widePath) ||
      !Widened(kSettingsSection, section) || !Widened(kDeviceIdKey, key) ||
      GetPrivateProfileStringW(section, key, L"", value, kReadBufferSize, widePath) == 0) {
    return false;
  }
  const WideText text = {value, LengthOf(value)};
  for (std::size_t i = 0; i < text.length; ++i) {
    if (!IsAscii(text.text[i])) {
      return true;
    }
  }
  return false;
}

}  // namespace notremovable
