// Whether only trusted principals can change a file or folder: its owner and
// DACL, fetched and walked; the rule itself is in trust_rule.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trust_rule.h"

namespace notremovable {


// Owner and DACL together; a descriptor larger than this is refused.
inline constexpr std::size_t kSecurityFieldSize = 4096;
// The token's user: a SID of at most 68 bytes after its header.
inline constexpr std::size_t kTokenUserFieldSize = 128;

// What a check found. principal points into descriptor: the untrusted owner,
// or the SID of the entry that refused (none for an unread kind); mask holds
// that entry's rights.
struct TrustFinding {
  TrustVerdict verdict;
  std::uint32_t mask;
  const void* principal;
  alignas(8) unsigned char descriptor[kSecurityFieldSize];
};

// The account the process runs as, read from its token.
struct ProcessAccount {
  const void* sid;
  alignas(8) unsigned char tokenUser[kTokenUserFieldSize];
};
bool GetProcessAccount(ProcessAccount& account);

// A valid SID's parts, read from its documented layout.
SidFacts FactsOfSid(const void* sid, const ProcessAccount& account);

// Reads the owner and DACL of the file or folder at path and judges them.
TrustVerdict CheckTrust(const char* path, const ProcessAccount& account, TrustFinding& finding);

}  // namespace notremovable
