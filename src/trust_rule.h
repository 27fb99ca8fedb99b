// Who may change the program's folder, its exe and its settings file: the rule
// that tells a trusted owner and harmless access entries from the rest.
// Pure logic over plain data (a SID's authority and sub-authorities, an entry's
// kind, flags and rights), free of <windows.h>, so that it also builds and is
// tested natively.
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

// Whether an access mask holds any right that changes the object, its
// contents, its security or its name (a folder's right to add or delete
// children included).
bool GrantsWriteRight(std::uint32_t mask);

// What the most telling write right in the mask lets someone do, worded to
// stand between a name and the object's path ("add files to"); null when
// the mask holds no write right.
const char* WriteRightPhrase(std::uint32_t mask, bool onFolder);

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

}  // namespace notremovable
