// The platform side of the trust check: the token's user, the descriptor of
// a file or folder, and the walk over its DACL.
#include "win32/trust.h"

#include <windows.h>

namespace notremovable {

namespace {

constexpr SECURITY_INFORMATION kOwnerAndDacl = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// Nothing judged: no principal, no rights, unreadable.
TrustVerdict Unjudged(TrustFinding& finding) {
  finding.mask = 0;
  finding.principal = nullptr;
  finding.verdict = TrustVerdict::Unreadable;
  return finding.verdict;
}

// Anyone whose SID cannot be read is untrusted.
Standing StandingOf(const void* sid, const ProcessAccount& account) {
  SidFacts facts = {};
  if (!ReadSid(static_cast<const unsigned char*>(sid), facts)) {
    return Standing::Untrusted;
  }
  facts.isProcessUser = IsSameSid(facts, account.facts);
  return StandingOf(facts);
}

// Judged only when the call filled the field: never what an earlier one left there.
TrustVerdict JudgeFetched(BOOL fetched, const ProcessAccount& account, TrustFinding& finding) {
  return fetched != FALSE ? JudgeSecurity(finding.descriptor, account, finding) : Unjudged(finding);
}

}  // namespace

bool GetProcessAccount(ProcessAccount& account) {
  account.sid = nullptr;
  HANDLE token = nullptr;
  if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) == FALSE) {
    return false;
  }
  DWORD needed = 0;
  const BOOL read = GetTokenInformation(token, TokenUser, account.tokenUser,
                                        static_cast<DWORD>(sizeof account.tokenUser), &needed);
  static_cast<void>(CloseHandle(token));
  if (read == FALSE) {
    return false;
  }
  const PSID sid = reinterpret_cast<const TOKEN_USER*>(account.tokenUser)->User.Sid;
  if (!ReadSid(static_cast<const unsigned char*>(sid), account.facts)) {
    return false;
  }
  account.sid = sid;
  return true;
}

TrustVerdict JudgeSecurity(const void* descriptorFields, const ProcessAccount& account,
                           TrustFinding& finding) {
  static_cast<void>(Unjudged(finding));
  const auto descriptor = const_cast<PSECURITY_DESCRIPTOR>(descriptorFields);
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  BOOL present = FALSE;
  PACL dacl = nullptr;
  if (GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) == FALSE || owner == nullptr ||
      GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) == FALSE) {
    return finding.verdict;
  }
  const Standing ownerStanding = StandingOf(owner, account);
  // Each entry read leaves its rights and SID in the finding: after a refusal,
  // those of the entry that refused.
  const auto entryAt = [dacl, &account, &finding](std::size_t i, EntryFacts& facts) {
    void* entry = nullptr;
    if (GetAce(dacl, static_cast<DWORD>(i), &entry) == FALSE) {
      return false;
    }
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    // Every kind of entry keeps its mask right after the header.
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
    facts = {header->AceType, header->AceFlags, allowed->Mask, Standing::Untrusted};
    finding.mask = facts.mask;
    finding.principal = nullptr;
    if (IsPlainAllowEntry(facts.type)) {
      finding.principal = &allowed->SidStart;
      facts.principal = StandingOf(&allowed->SidStart, account);
    }
    return true;
  };
  const bool hasDacl = present != FALSE && dacl != nullptr;
  std::size_t refusingEntry = 0;
  finding.verdict = JudgeDescriptor(ownerStanding, hasDacl, hasDacl ? dacl->AceCount : 0U, entryAt,
                                    refusingEntry);
  if (finding.verdict == TrustVerdict::OwnerUntrusted) {
    finding.principal = owner;
  } else if (finding.verdict == TrustVerdict::Trusted) {
    finding.mask = 0;
    finding.principal = nullptr;
  }
  return finding.verdict;
}

TrustVerdict CheckTrust(const char* path, const ProcessAccount& account, TrustFinding& finding) {
  DWORD needed = 0;
  return JudgeFetched(GetFileSecurityA(path, kOwnerAndDacl, finding.descriptor,
                                       static_cast<DWORD>(sizeof finding.descriptor), &needed),
                      account, finding);
}

TrustVerdict CheckHeldTrust(void* handle, const ProcessAccount& account, TrustFinding& finding) {
  DWORD needed = 0;
  return JudgeFetched(GetKernelObjectSecurity(handle, kOwnerAndDacl, finding.descriptor,
                                              static_cast<DWORD>(sizeof finding.descriptor), &needed),
                      account, finding);
}

}  // namespace notremovable
