// Fuzzes the trust rule with any owner and DACL made of up to 600 bytes: only
// a trusted owner with a DACL can be trusted; deny and inherit-only entries
// never decide; the first refusing entry refuses alone and none before it
// does; more rights or a less trusted principal never turn a refusal into trust.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "rules/trust.h"

namespace {

using namespace notremovable;

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// Reads the input front to back; past its end, zeros.
struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t Byte() {
    if (size == 0) {
      return 0;
    }
    --size;
    return *data++;
  }
  std::uint32_t Word() {
    std::uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
      word = word << 8U | Byte();
    }
    return word;
  }
};

SidFacts ReadSid(Input& in) {
  SidFacts sid = {};
  const std::uint8_t shape = in.Byte();
  sid.isProcessUser = (shape & 0x80U) != 0;
  sid.authority = in.Byte() % 8U;
  sid.subAuthorityCount = shape % (kMaxSubAuthorities + 1);
  for (std::size_t i = 0; i < sid.subAuthorityCount; ++i) {
    // Small values often, so that the well-known SIDs turn up.
    const std::uint8_t choice = in.Byte();
    sid.subAuthorities[i] = choice < 0x80U ? in.Word() : choice == 0x80U ? 512U : choice == 0x81U ? 544U : choice % 32U;
  }
  return sid;
}

TrustVerdict Judge(Standing owner, bool hasDacl, const std::vector<EntryFacts>& entries,
                   std::size_t& refusingEntry) {
  const auto entryAt = [&entries](std::size_t i, EntryFacts& facts) {
    facts = entries[i];
    return true;
  };
  return JudgeDescriptor(owner, hasDacl, entries.size(), entryAt, refusingEntry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 600) {
    return 0;
  }
  Input in = {data, size};
  const SidFacts ownerSid = ReadSid(in);
  const Standing owner = StandingOf(ownerSid);
  const bool hasDacl = (in.Byte() & 1U) != 0;
  std::vector<EntryFacts> entries;
  while (in.size > 0) {
    EntryFacts entry = {};
    entry.type = in.Byte() % 0x16U;
    entry.flags = in.Byte();
    entry.mask = in.Word();
    entry.principal = StandingOf(ReadSid(in));
    entries.push_back(entry);
  }

  // Anyone but the process's own account under another authority than NT or
  // the creator authority is untrusted; the process's own account is trusted.
  if (ownerSid.isProcessUser) {
    Require(owner == Standing::Trusted);
  } else if (ownerSid.authority != 3 && ownerSid.authority != 5) {
    Require(owner == Standing::Untrusted);
  }

  std::size_t refusingEntry = entries.size();
  const TrustVerdict verdict = Judge(owner, hasDacl, entries, refusingEntry);
  Require(verdict != TrustVerdict::NotChecked && verdict != TrustVerdict::Unreadable);
  if (verdict == TrustVerdict::Trusted) {
    Require(owner == Standing::Trusted && hasDacl);
  }
  if (owner != Standing::Trusted || !hasDacl) {
    return 0;
  }

  // Deny and inherit-only entries never decide.
  std::vector<EntryFacts> deciding;
  for (const EntryFacts& entry : entries) {
    const bool deny = entry.type == 0x1 || entry.type == 0x6 || entry.type == 0xA || entry.type == 0xC;
    if (!deny && (entry.flags & 0x08U) == 0) {
      deciding.push_back(entry);
    }
  }
  std::size_t unused = 0;
  Require(Judge(owner, hasDacl, deciding, unused) == verdict);

  if (verdict != TrustVerdict::Trusted) {
    // The refusing entry refuses alone, and no entry before it does.
    Require(refusingEntry < entries.size());
    Require(Judge(owner, hasDacl, {entries[refusingEntry]}, unused) == verdict);
    const std::vector<EntryFacts> before(entries.begin(), entries.begin() + static_cast<long>(refusingEntry));
    Require(Judge(owner, hasDacl, before, unused) == TrustVerdict::Trusted);
    if (verdict == TrustVerdict::WriterUntrusted) {
      Require(GrantsWriteRight(entries[refusingEntry].mask) &&
              entries[refusingEntry].principal == Standing::Untrusted);
    }
    // More rights, or untrusted principals, never turn a refusal into trust.
    std::vector<EntryFacts> worse = entries;
    for (EntryFacts& entry : worse) {
      entry.mask |= 0x40000000U;
      entry.principal = Standing::Untrusted;
    }
    Require(Judge(owner, hasDacl, worse, unused) != TrustVerdict::Trusted);
  }
  return 0;
}
