// The trust rule: trusted principals, SIDs read and written, write rights, entries that apply.
#include "rules/trust.h"

namespace notremovable {
namespace {

// Identifier authorities.
constexpr std::uint8_t kCreatorAuthority = 3;
constexpr std::uint8_t kNtAuthority = 5;

// Sub-authorities under the NT authority and the creator authority.
constexpr std::uint32_t kLocalSystem = 18;
constexpr std::uint32_t kBuiltinDomain = 32;
constexpr std::uint32_t kAdministratorsAlias = 544;
constexpr std::uint32_t kServiceDomain = 80;
constexpr std::uint32_t kNonUniqueDomain = 21;  // machine and domain accounts
constexpr std::uint32_t kDomainAdmins = 512;
constexpr std::uint32_t kEnterpriseAdmins = 519;
constexpr std::uint32_t kCreatorOwner = 0;
constexpr std::uint32_t kCreatorGroup = 1;
constexpr std::uint32_t kOwnerRights = 4;

// NT SERVICE\TrustedInstaller, which owns the system's own files.
constexpr std::uint32_t kTrustedInstaller[] = {kServiceDomain, 956008885U, 3418522649U,
                                               1831038044U, 1853292631U, 2271478464U};

constexpr std::uint32_t kWriteRights = kWriteData | kAppendData | kWriteEa | kDeleteChild |
                                       kWriteAttributes | kDelete | kWriteDac | kWriteOwner |
                                       kMaximumAllowed | kGenericAll | kGenericWrite;

// Entry kinds and flags.
constexpr std::uint8_t kAccessAllowed = 0x0;
constexpr std::uint8_t kAccessDenied = 0x1;
constexpr std::uint8_t kAccessDeniedObject = 0x6;
constexpr std::uint8_t kAccessDeniedCallback = 0xA;
constexpr std::uint8_t kAccessDeniedCallbackObject = 0xC;
constexpr std::uint8_t kInheritOnly = 0x08;

bool Is(const SidFacts& sid, std::uint64_t authority, const std::uint32_t* subAuthorities,
        std::size_t count) {
  if (sid.authority != authority || sid.subAuthorityCount != count) {
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (sid.subAuthorities[i] != subAuthorities[i]) {
      return false;
    }
  }
  return true;
}

// The other well-known principals, each with its one or two sub-authorities.
struct KnownSid {
  std::uint8_t authority;
  std::uint8_t count;
  Standing standing;
  std::uint32_t subAuthorities[2];
};
constexpr KnownSid kKnownSids[] = {
    {kNtAuthority, 1, Standing::Trusted, {kLocalSystem}},
    {kNtAuthority, 2, Standing::Trusted, {kBuiltinDomain, kAdministratorsAlias}},
    // CREATOR OWNER or GROUP (only a pattern for children), OWNER RIGHTS (the owner, judged as owner)
    {kCreatorAuthority, 1, Standing::NamesNobody, {kCreatorOwner}},
    {kCreatorAuthority, 1, Standing::NamesNobody, {kCreatorGroup}},
    {kCreatorAuthority, 1, Standing::NamesNobody, {kOwnerRights}},
};

bool IsDenyEntry(std::uint8_t type) {
  return type == kAccessDenied || type == kAccessDeniedObject || type == kAccessDeniedCallback ||
         type == kAccessDeniedCallbackObject;
}

}  // namespace

Standing StandingOf(const SidFacts& sid) {
  // S-1-5-21-a-b-c-RID: an account or group of a domain (or of the machine).
  const bool isDomainAdminGroup =
      sid.authority == kNtAuthority && sid.subAuthorityCount == 5 &&
      sid.subAuthorities[0] == kNonUniqueDomain &&
      (sid.subAuthorities[4] == kDomainAdmins || sid.subAuthorities[4] == kEnterpriseAdmins);
  if (sid.isProcessUser || isDomainAdminGroup ||
      Is(sid, kNtAuthority, kTrustedInstaller, sizeof kTrustedInstaller / sizeof *kTrustedInstaller)) {
    return Standing::Trusted;
  }
  const KnownSid* const end = kKnownSids + sizeof kKnownSids / sizeof *kKnownSids;
  const KnownSid* known = kKnownSids;
  while (known != end && !Is(sid, known->authority, known->subAuthorities, known->count)) {
    ++known;
  }
  return known != end ? known->standing : Standing::Untrusted;
}

bool ReadSid(const unsigned char* sid, SidFacts& facts) {
  facts = {};
  constexpr unsigned char kRevision = 1;
  if (sid[0] != kRevision || sid[1] > kMaxSubAuthorities) {
    return false;
  }
  for (std::size_t i = 2; i < 8; ++i) {
    facts.authority = facts.authority << 8U | sid[i];
  }
  facts.subAuthorityCount = sid[1];
  for (std::size_t i = 0; i < facts.subAuthorityCount; ++i) {
    const unsigned char* const part = sid + 8 + 4 * i;
    facts.subAuthorities[i] = static_cast<std::uint32_t>(part[0]) | static_cast<std::uint32_t>(part[1]) << 8U |
                              static_cast<std::uint32_t>(part[2]) << 16U |
                              static_cast<std::uint32_t>(part[3]) << 24U;
  }
  return true;
}

bool IsSameSid(const SidFacts& a, const SidFacts& b) {
  return Is(a, b.authority, b.subAuthorities, b.subAuthorityCount);
}

std::size_t WriteSidText(const SidFacts& sid, char* text, std::size_t fieldSize) {
  std::size_t used = 0;
  const auto put = [text, fieldSize, &used](char c) {
    if (used < fieldSize) {
      text[used] = c;
    }
    ++used;
  };
  // In decimal (32 bits: no 64-bit division, which would pull the runtime's
  // helper into the exe), or twelve hexadecimal digits by their shifts.
  const auto decimal = [&put](std::uint32_t value) {
    char digits[10];
    std::size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10U);
      value /= 10U;
    } while (value != 0);
    while (count > 0) {
      put(digits[--count]);
    }
  };
  put('S');
  put('-');
  put('1');
  put('-');
  constexpr std::uint64_t kDecimalAuthorities = std::uint64_t{1} << 32U;
  if (sid.authority < kDecimalAuthorities) {
    decimal(static_cast<std::uint32_t>(sid.authority));
  } else {
    put('0');
    put('x');
    for (unsigned shift = 44;; shift -= 4) {
      put("0123456789ABCDEF"[(sid.authority >> shift) & 0xFU]);
      if (shift == 0) {
        break;
      }
    }
  }
  for (std::size_t i = 0; i < sid.subAuthorityCount; ++i) {
    put('-');
    decimal(sid.subAuthorities[i]);
  }
  if (used >= fieldSize) {
    text[0] = '\0';
    return 0;
  }
  text[used] = '\0';
  return used;
}

bool GrantsWriteRight(std::uint32_t mask) { return (mask & kWriteRights) != 0; }

bool IsPlainAllowEntry(std::uint8_t type) { return type == kAccessAllowed; }

EntryVerdict JudgeEntry(const EntryFacts& entry) {
  // Deny entries are never counted on, so skipping them can only refuse more.
  if ((entry.flags & kInheritOnly) != 0 || IsDenyEntry(entry.type)) {
    return EntryVerdict::Harmless;
  }
  if (!IsPlainAllowEntry(entry.type)) {
    return EntryVerdict::UnreadKind;
  }
  return GrantsWriteRight(entry.mask) && entry.principal == Standing::Untrusted
             ? EntryVerdict::UntrustedWriter
             : EntryVerdict::Harmless;
}

}  // namespace notremovable
