// Who may change the program's folder, its exe and its settings file: the rule
// that tells a trusted owner and harmless access entries from the rest, over
// plain data (a SID's authority and sub-authorities, an entry's kind, flags
// and rights), and what a check of one object found.
#pragma once

#include <cstddef>
#include <cstdint>

namespace notremovable {

// A SID as plain data. isProcessUser: it is the account the process runs as,
// which can already write whatever it likes.
inline constexpr std::size_t kMaxSubAuthorities = 15;
struct SidFacts {
  std::uint64_t authority;
  std::size_t subAuthorityCount;
  std::uint32_t subAuthorities[kMaxSubAuthorities];
  bool isProcessUser;
};

enum class Standing : std::uint8_t {
  Trusted,     // SYSTEM, Administrators, TrustedInstaller, the process's own
               // account, a domain's Domain Admins or Enterprise Admins
  Untrusted,   // anybody else
  NamesNobody  // CREATOR OWNER or GROUP (only a pattern for children), OWNER
               // RIGHTS (the owner, judged as owner)
};
Standing StandingOf(const SidFacts& sid);

// A SID's parts from its documented layout: a revision of 1, the count of its
// sub-authorities (at most 15), a 48-bit authority (most significant byte
// first), then the sub-authorities of 32 bits each (least significant byte
// first). False, with the facts empty, where the bytes are no valid SID.
bool ReadSid(const unsigned char* sid, SidFacts& facts);
// Whether two SIDs read so are the same one.
bool IsSameSid(const SidFacts& a, const SidFacts& b);
// A SID written as Windows writes it: "S-1-", the authority (in decimal below
// 2^32, else "0x" and twelve hexadecimal digits), then each sub-authority.
// Its length, or 0 with the field empty where it does not fit.
std::size_t WriteSidText(const SidFacts& sid, char* text, std::size_t fieldSize);

// Rights that change the object: write data or add a file, append or add a
// folder, extended attributes, delete a child, attributes, delete, change the
// DACL or the owner; and the generic and maximum rights that include them.
inline constexpr std::uint32_t kWriteData = 0x0002U, kAppendData = 0x0004U, kWriteEa = 0x0010U,
                               kDeleteChild = 0x0040U, kWriteAttributes = 0x0100U,
                               kDelete = 0x00010000U, kWriteDac = 0x00040000U,
                               kWriteOwner = 0x00080000U, kMaximumAllowed = 0x02000000U,
                               kGenericAll = 0x10000000U, kGenericWrite = 0x40000000U;
inline constexpr std::uint32_t kFullControl = 0x001F01FFU;

// Whether an access mask holds any right that changes the object, its
// contents, its security or its name (a folder's right to add or delete
// children included).
bool GrantsWriteRight(std::uint32_t mask);

// An access entry as plain data. The SID is only read from the plain allow
// entry; other kinds keep it elsewhere, or under conditions, and are not read.
struct EntryFacts {
  std::uint8_t type;
  std::uint8_t flags;
  std::uint32_t mask;
  Standing principal;  // of the entry's SID; meaningful for plain allow entries only
};

// Whether the entry is a plain allow entry, whose SID is read.
bool IsPlainAllowEntry(std::uint8_t type);

enum class EntryVerdict : std::uint8_t {
  Harmless,         // a deny entry, one that does not apply to the object, no
                    // write right, or a write right of a trusted principal
  UntrustedWriter,  // a write right of someone untrusted
  UnreadKind        // an allow entry of a kind not read: counted as an untrusted writer
};
EntryVerdict JudgeEntry(const EntryFacts& entry);

enum class TrustVerdict : std::uint8_t {
  NotChecked,
  Trusted,
  OwnerUntrusted,   // an owner can always rewrite the DACL
  WriterUntrusted,  // an entry lets someone untrusted change it
  EntryUnread,      // an allow entry of a kind not read
  NoDacl,           // no security at all (FAT, exFAT) or a NULL DACL: anyone may do anything
  Unreadable        // the descriptor cannot be had, or does not fit its field
};

// Judges an object by its owner and its DACL's entries, in order: trusted
// only when the owner is trusted, there is a DACL and no entry refuses.
// entryAt(i, facts) fills the facts of entry i, or returns false when it
// cannot be read. On a refusing entry, refusingEntry is its index.
template <class EntryAt>
TrustVerdict JudgeDescriptor(Standing owner, bool hasDacl, std::size_t entryCount,
                             const EntryAt& entryAt, std::size_t& refusingEntry) {
  if (owner != Standing::Trusted) {
    return TrustVerdict::OwnerUntrusted;
  }
  if (!hasDacl) {
    return TrustVerdict::NoDacl;
  }
  for (std::size_t i = 0; i < entryCount; ++i) {
    EntryFacts facts = {};
    if (!entryAt(i, facts)) {
      return TrustVerdict::Unreadable;
    }
    const EntryVerdict verdict = JudgeEntry(facts);
    if (verdict != EntryVerdict::Harmless) {
      refusingEntry = i;
      return verdict == EntryVerdict::UnreadKind ? TrustVerdict::EntryUnread
                                                 : TrustVerdict::WriterUntrusted;
    }
  }
  return TrustVerdict::Trusted;
}

// What a check found. principal points into descriptor: the untrusted owner,
// or the SID of the entry that refused (none for an unread kind); mask holds
// that entry's rights. A descriptor larger than its field is refused.
inline constexpr std::size_t kSecurityFieldSize = 4096;
struct TrustFinding {
  TrustVerdict verdict;
  std::uint32_t mask;
  const void* principal;
  alignas(8) unsigned char descriptor[kSecurityFieldSize];
};

}  // namespace notremovable
