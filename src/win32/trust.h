// Whether only trusted principals can change a file or folder: its owner and
// DACL, fetched (by name, or through a handle held open) and then judged by
// the rule in rules/trust.h.
#pragma once

#include <cstddef>

#include "rules/trust.h"

namespace notremovable {

// The token's user: a SID of at most 68 bytes after its header.
inline constexpr std::size_t kTokenUserFieldSize = 128;

// The account the process runs as, read from its token: its SID, and its parts.
struct ProcessAccount {
  const void* sid;
  SidFacts facts;
  alignas(8) unsigned char tokenUser[kTokenUserFieldSize];
};
bool GetProcessAccount(ProcessAccount& account);

// Judges a security descriptor with its owner and DACL (self-relative or not),
// as fetched below or made in any other way; principal then points into it.
TrustVerdict JudgeSecurity(const void* descriptor, const ProcessAccount& account,
                           TrustFinding& finding);

// Fetches the owner and DACL of the file or folder at path into the finding's
// field and judges them; a descriptor that does not fit is unreadable.
TrustVerdict CheckTrust(const char* path, const ProcessAccount& account, TrustFinding& finding);

// The same for the object a handle holds open (it needs READ_CONTROL): what is
// judged is what the handle holds, whatever its name leads to meanwhile.
TrustVerdict CheckHeldTrust(void* handle, const ProcessAccount& account, TrustFinding& finding);

}  // namespace notremovable
