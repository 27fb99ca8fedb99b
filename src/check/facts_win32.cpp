// Account names, system messages and the key now, through the platform's calls.
#include "check/facts_win32.h"

#include <windows.h>

#include <cstdio>

#include "rules/override_key.h"

namespace notremovable {
namespace {

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

}  // namespace

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

NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   const ProcessAccount& account, char (&name)[kNameFieldSize]) {
  name[0] = '\0';
  if (finding.verdict != TrustVerdict::NotChecked && finding.principal != nullptr) {
    NamePrincipal(finding.principal, account, name);
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

}  // namespace notremovable
