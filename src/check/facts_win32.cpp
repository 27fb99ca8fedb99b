// The computer's and accounts' names, system messages, the key now and the
// code page's conversions, through the platform's calls.
#include "check/facts_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "rules/override_key.h"
#include "rules/paths.h"
#include "rules/settings.h"
#include "win32/handle.h"

namespace notremovable {
namespace {

// The object judged again for an account that owns nothing: where it is then
// not trusted, it is trusted only because it belongs to the account that runs
// the check (the verdict tells). Only a descriptor judged whole is judged
// again: any other may hold what an earlier read left in the field.
TrustVerdict VerdictWithoutAccount(const TrustFinding& finding) {
  if (finding.verdict != TrustVerdict::Trusted) {
    return TrustVerdict::NotChecked;
  }
  // Nobody, S-1-0-0.
  ProcessAccount noAccount = {};
  noAccount.facts.subAuthorityCount = 1;
  static TrustFinding again;
  return JudgeSecurity(finding.descriptor, noAccount, again);
}

// A text in the ANSI code page as UTF-16; false when it does not fit.
template <std::size_t FieldSize>
bool Widened(const char* text, wchar_t (&wide)[FieldSize]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(FieldSize)) > 0;
}

}  // namespace

void ComputerName(wchar_t (&name)[kNameFieldSize]) {
  DWORD length = kNameFieldSize;
  if (GetComputerNameW(name, &length) == FALSE) {
    name[0] = L'\0';
  }
}

void NamePrincipal(const void* sid, wchar_t (&name)[kNameFieldSize]) {
  wchar_t user[kNameFieldSize];
  wchar_t domain[kNameFieldSize];
  DWORD userLength = kNameFieldSize;
  DWORD domainLength = kNameFieldSize;
  SID_NAME_USE use = SidTypeUnknown;
  // DOMAIN\user, or the user alone where it has no domain; both fit, each
  // being shorter than the field.
  if (LookupAccountSidW(nullptr, const_cast<void*>(sid), user, &userLength, domain, &domainLength, &use) !=
          FALSE &&
      domainLength + 1 + userLength < kNameFieldSize) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < domainLength; ++i) {
      name[length++] = domain[i];
    }
    if (domainLength != 0) {
      name[length++] = L'\\';
    }
    for (std::size_t i = 0; i <= userLength; ++i) {
      name[length++] = user[i];
    }
    return;
  }
  // Its parts, whole: an authority of 2^32 or more too. ASCII alone.
  char text[kNameFieldSize];
  SidFacts facts = {};
  if (!ReadSid(static_cast<const unsigned char*>(sid), facts) || WriteSidText(facts, text, sizeof text) == 0) {
    static_cast<void>(std::snprintf(text, sizeof text, "a SID that cannot be read"));
  }
  for (std::size_t i = 0; i < kNameFieldSize; ++i) {
    name[i] = static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
    if (text[i] == '\0') {
      break;
    }
  }
}

NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   wchar_t (&name)[kNameFieldSize]) {
  name[0] = L'\0';
  if (finding.verdict != TrustVerdict::NotChecked && finding.principal != nullptr) {
    NamePrincipal(finding.principal, name);
  }
  return {&finding, path, isFolder, name, VerdictWithoutAccount(finding)};
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
  KeyNow now = {KeyState::NoKey, 0, REG_NONE, 0, ERROR_SUCCESS, message, {}};
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
  // Its size first, then its bytes where they fit the field: by the wide
  // call, which gives a string's bytes as they are stored.
  wchar_t name[sizeof kRemovableValueName];
  DWORD type = REG_NONE;
  DWORD size = 0;
  LONG queried = Widened(kRemovableValueName, name)
                     ? RegQueryValueExW(key, name, nullptr, &type, nullptr, &size)
                     : static_cast<LONG>(ERROR_INVALID_NAME);
  if (queried == ERROR_SUCCESS && size <= sizeof now.raw) {
    queried = RegQueryValueExW(key, name, nullptr, &type, now.raw, &size);
  }
  static_cast<void>(RegCloseKey(key));
  now.type = type;
  now.size = size;
  const bool dword = queried == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD);
  if (dword) {
    DWORD data = 0;
    std::memcpy(&data, now.raw, sizeof data);
    now.data = data;
  }
  now.state = queried == ERROR_FILE_NOT_FOUND ? KeyState::WithoutValue
              : dword                         ? KeyState::Dword
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

Text PlatformCodePage::Shown(WideText text) {
  const int length = text.length == 0 ? 0
                                      : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.text,
                                                            static_cast<int>(text.length), shown_, kFieldSize, "?",
                                                            nullptr);
  if (length == 0 && text.length != 0) {
    return {nullptr, 0};
  }
  return {shown_, static_cast<std::size_t>(length)};
}

WideText PlatformCodePage::Widened(Text text) {
  static constexpr wchar_t kTooLong[] = L"(a text too long to show)";
  const int length = text.length == 0 ? 0
                                      : MultiByteToWideChar(CP_ACP, 0, text.text, static_cast<int>(text.length),
                                                            widened_, kFieldSize);
  if (length == 0 && text.length != 0) {
    return {kTooLong, sizeof kTooLong / sizeof *kTooLong - 1};
  }
  return {widened_, static_cast<std::size_t>(length)};
}

}  // namespace notremovable
