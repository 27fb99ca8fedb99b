// The trust rule on the descriptors that Windows really gives folders and
// files, including those that Wine cannot show: who may own them, which
// entries refuse, and which rights count as writing.
#include "rules/trust.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace notremovable {
namespace {

// The account the tests' process runs as.
const char kProcessUser[] = "S-1-5-21-7-8-9-1001";

// "S-1-5-32-544" as plain data.
SidFacts Sid(const std::string& text) {
  SidFacts sid = {};
  sid.isProcessUser = text == kProcessUser;
  if (text.size() < 4) {
    return sid;  // no SID at all: nobody trusted
  }
  const char* cursor = text.c_str() + 4;  // after "S-1-"
  char* end = nullptr;
  sid.authority = std::strtoull(cursor, &end, 10);
  while (*end == '-' && sid.subAuthorityCount < kMaxSubAuthorities) {
    sid.subAuthorities[sid.subAuthorityCount++] =
        static_cast<std::uint32_t>(std::strtoul(end + 1, &end, 10));
  }
  return sid;
}

// Entry kinds, flags and rights as Windows writes them.
constexpr std::uint8_t kAllow = 0x0, kDeny = 0x1, kAllowObject = 0x5, kDenyObject = 0x6, kAllowCallback = 0x9,
                       kDenyCallback = 0xA, kAllowCallbackObject = 0xB, kDenyCallbackObject = 0xC;
constexpr std::uint8_t kInherited = 0x10, kContainerObjectInherit = 0x03,
                       kContainerObjectInheritOnly = 0x0B;
constexpr std::uint32_t kFull = 0x001F01FF, kModify = 0x001301BF, kReadExecute = 0x001200A9;
constexpr std::uint32_t kAddFile = kWriteData;

const char kSystem[] = "S-1-5-18", kAdministrators[] = "S-1-5-32-544",
           kUsers[] = "S-1-5-32-545", kAuthenticatedUsers[] = "S-1-5-11", kEveryone[] = "S-1-1-0",
           kCreatorOwner[] = "S-1-3-0", kAnonymous[] = "S-1-5-7",
           kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

struct Entry {
  std::uint8_t type;
  std::uint8_t flags;
  std::uint32_t mask;
  std::string sid;
};

struct DescriptorCase {
  const char* name;
  std::string owner;
  bool hasDacl;
  std::vector<Entry> entries;
  TrustVerdict expected;
  std::size_t expectedRefusingEntry;
};

const std::vector<Entry> kAdminsAndSystem = {{kAllow, kInherited, kFull, kSystem},
                                             {kAllow, kInherited, kFull, kAdministrators}};
std::vector<Entry> AdminsAndSystemWith(const Entry& entry) {
  std::vector<Entry> entries = kAdminsAndSystem;
  entries.push_back(entry);
  return entries;
}

const DescriptorCase kDescriptorCases[] = {
    // A folder made under C:\ on Windows 10 and 11, and on Windows Server.
    {"AuthenticatedUsersModify", kAdministrators, true,
     AdminsAndSystemWith({kAllow, kInherited, kModify, kAuthenticatedUsers}),
     TrustVerdict::WriterUntrusted, 2},
    {"UsersAddFileOnly", kAdministrators, true,
     AdminsAndSystemWith({kAllow, kInherited, kAddFile, kUsers}), TrustVerdict::WriterUntrusted, 2},
    {"UsersModifyInheritedBelowToo", kAdministrators, true,
     AdminsAndSystemWith({kAllow, kContainerObjectInherit, kModify, kUsers}),
     TrustVerdict::WriterUntrusted, 2},
    {"UsersReadExecuteOnly", kAdministrators, true,
     AdminsAndSystemWith({kAllow, kInherited, kReadExecute, kUsers}), TrustVerdict::Trusted, 0},
    // Program Files: TrustedInstaller owns it; CREATOR OWNER is only inherited.
    {"ProgramFiles", kTrustedInstaller, true,
     {{kAllow, 0, kFull, kTrustedInstaller},
      {kAllow, 0, kModify, kSystem},
      {kAllow, 0, kModify, kAdministrators},
      {kAllow, 0, kReadExecute, kUsers},
      {kAllow, kContainerObjectInheritOnly, kGenericAll, kCreatorOwner},
      {kAllow, 0, kReadExecute, "S-1-15-2-1"}},
     TrustVerdict::Trusted, 0},
    {"CreatorOwnerOnTheObjectNamesNobody", kAdministrators, true,
     AdminsAndSystemWith({kAllow, 0, kFull, kCreatorOwner}), TrustVerdict::Trusted, 0},
    {"OwnerRightsStandsForTheOwner", kAdministrators, true,
     AdminsAndSystemWith({kAllow, 0, kFull, "S-1-3-4"}), TrustVerdict::Trusted, 0},
    {"InheritOnlyEntryOfAnyone", kAdministrators, true,
     AdminsAndSystemWith({kAllow, kContainerObjectInheritOnly, kFull, kEveryone}),
     TrustVerdict::Trusted, 0},
    // A share only a domain's administrators can write serves.
    {"DomainAdminsFull", "S-1-5-21-1111-2222-3333-512", true,
     AdminsAndSystemWith({kAllow, 0, kFull, "S-1-5-21-1111-2222-3333-512"}), TrustVerdict::Trusted, 0},
    {"EnterpriseAdminsFull", kAdministrators, true,
     AdminsAndSystemWith({kAllow, 0, kFull, "S-1-5-21-1111-2222-3333-519"}), TrustVerdict::Trusted, 0},
    {"DomainUsersFull", kAdministrators, true,
     AdminsAndSystemWith({kAllow, 0, kFull, "S-1-5-21-1111-2222-3333-513"}),
     TrustVerdict::WriterUntrusted, 2},
    {"AdminRidOutsideADomain", kAdministrators, true,
     AdminsAndSystemWith({kAllow, 0, kFull, "S-1-5-21-1111-2222-512"}), TrustVerdict::WriterUntrusted, 2},
    {"ProcessUserFull", kProcessUser, true, AdminsAndSystemWith({kAllow, 0, kFull, kProcessUser}),
     TrustVerdict::Trusted, 0},
    // Owners.
    {"TrustedInstallerOwner", kTrustedInstaller, true, kAdminsAndSystem, TrustVerdict::Trusted, 0},
    {"SystemOwner", kSystem, true, kAdminsAndSystem, TrustVerdict::Trusted, 0},
    {"UserOwner", "S-1-5-21-7-8-9-1002", true, kAdminsAndSystem, TrustVerdict::OwnerUntrusted, 0},
    {"AnonymousOwner", kAnonymous, true, kAdminsAndSystem, TrustVerdict::OwnerUntrusted, 0},
    {"CreatorOwnerAsOwner", kCreatorOwner, true, kAdminsAndSystem, TrustVerdict::OwnerUntrusted, 0},
    {"OwnerUntrustedBeforeNullDacl", kUsers, false, {}, TrustVerdict::OwnerUntrusted, 0},
    // No security at all, or a NULL DACL: anyone may do anything.
    {"NullDacl", kAdministrators, false, {}, TrustVerdict::NoDacl, 0},
    {"EmptyDaclLetsNoOneIn", kAdministrators, true, {}, TrustVerdict::Trusted, 0},
    // Entries whose SID is not read, and deny entries, which are never counted on.
    {"ObjectEntry", kAdministrators, true, AdminsAndSystemWith({kAllowObject, 0, kReadExecute, ""}),
     TrustVerdict::EntryUnread, 2},
    {"CallbackEntry", kAdministrators, true, AdminsAndSystemWith({kAllowCallback, 0, kReadExecute, ""}),
     TrustVerdict::EntryUnread, 2},
    {"CallbackObjectEntry", kAdministrators, true,
     AdminsAndSystemWith({kAllowCallbackObject, 0, kReadExecute, ""}), TrustVerdict::EntryUnread, 2},
    {"DenyObjectFirst", kAdministrators, true,
     {{kDenyObject, 0, kFull, ""}, {kAllow, 0, kFull, kSystem}}, TrustVerdict::Trusted, 0},
    {"DenyCallbackObjectFirst", kAdministrators, true,
     {{kDenyCallbackObject, 0, kFull, ""}, {kAllow, 0, kFull, kSystem}}, TrustVerdict::Trusted, 0},
    {"DenyCallbackFirst", kAdministrators, true,
     {{kDenyCallback, 0, kFull, kEveryone}, {kAllow, 0, kFull, kSystem}}, TrustVerdict::Trusted, 0},
    {"InheritOnlyObjectEntry", kAdministrators, true,
     AdminsAndSystemWith({kAllowObject, kContainerObjectInheritOnly, kFull, ""}), TrustVerdict::Trusted, 0},
    {"DenyBeforeUntrustedAllow", kAdministrators, true,
     {{kDeny, 0, kFull, kEveryone}, {kAllow, 0, kFull, kSystem}, {kAllow, 0, kModify, kEveryone}},
     TrustVerdict::WriterUntrusted, 2},
    {"FirstRefusingEntryNamed", kAdministrators, true,
     {{kAllow, 0, kModify, kUsers}, {kAllow, 0, kFull, kEveryone}}, TrustVerdict::WriterUntrusted, 0},
    // As Wine shows a file: its owner, SYSTEM, and the Unix "other" bits as Everyone.
    {"WineOtherBitsReadable", kProcessUser, true,
     {{kAllow, 0, kFull, kSystem}, {kAllow, 0, kFull, kProcessUser}, {kAllow, 0, 0x001200A9, kEveryone}},
     TrustVerdict::Trusted, 0},
    {"WineOtherBitsWritable", kProcessUser, true,
     {{kAllow, 0, kFull, kSystem}, {kAllow, 0, kFull, kProcessUser}, {kAllow, 0, 0x001301FF, kEveryone}},
     TrustVerdict::WriterUntrusted, 2},
};

void PrintTo(const DescriptorCase& row, std::ostream* out) { *out << row.name; }

class Descriptor : public testing::TestWithParam<DescriptorCase> {};

TEST_P(Descriptor, IsTrustedOnlyWhenNoOneElseCanChangeIt) {
  const DescriptorCase& c = GetParam();
  const auto entryAt = [&c](std::size_t i, EntryFacts& facts) {
    const Entry& entry = c.entries[i];
    facts = {entry.type, entry.flags, entry.mask, StandingOf(Sid(entry.sid))};
    return true;
  };
  std::size_t refusingEntry = 0;
  EXPECT_EQ(JudgeDescriptor(StandingOf(Sid(c.owner)), c.hasDacl, c.entries.size(), entryAt,
                            refusingEntry),
            c.expected);
  EXPECT_EQ(refusingEntry, c.expectedRefusingEntry);
}

INSTANTIATE_TEST_SUITE_P(Table, Descriptor, testing::ValuesIn(kDescriptorCases), RowName());

TEST(Descriptor, AnEntryThatCannotBeReadRefuses) {
  std::size_t refusingEntry = 0;
  const auto unreadable = [](std::size_t, EntryFacts&) { return false; };
  EXPECT_EQ(JudgeDescriptor(Standing::Trusted, true, 1, unreadable, refusingEntry),
            TrustVerdict::Unreadable);
}

// SIDs as the system lays them out, read into their parts.
std::vector<unsigned char> SidOfCount(unsigned char count) {
  std::vector<unsigned char> bytes = {1, count, 0, 0, 0, 0, 0, 5};
  bytes.resize(bytes.size() + 4U * count);
  return bytes;
}

struct SidBytesCase {
  const char* name;
  std::vector<unsigned char> bytes;
  bool expectValid;
  std::string expected;  // as kProcessUser is written; empty when not valid
  std::string text;      // as Windows writes it; empty: as expected
};

const SidBytesCase kSidBytesCases[] = {
    {"Administrators", {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 2, 0, 0}, true, "S-1-5-32-544", ""},
    {"AuthorityOver32Bits", {1, 1, 0, 1, 0, 0, 0, 5, 0xff, 0xff, 0xff, 0xff}, true, "S-1-4294967301-4294967295",
     "S-1-0x000100000005-4294967295"},
    {"LargestDecimalAuthority", {1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}, true, "S-1-4294967295", ""},
    {"AuthorityOf2To32", {1, 0, 0, 1, 0, 0, 0, 0}, true, "S-1-4294967296", "S-1-0x000100000000"},
    {"AuthorityWithHexLetters", {1, 0, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23}, true, "S-1-151370987405603",
     "S-1-0x89ABCDEF0123"},
    {"NoSubAuthority", {1, 0, 0, 0, 0, 0, 0, 1}, true, "S-1-1", ""},
    {"FifteenSubAuthorities", SidOfCount(15), true, "S-1-5-0-0-0-0-0-0-0-0-0-0-0-0-0-0-0", ""},
    {"SixteenSubAuthorities", SidOfCount(16), false, "", ""},
    {"OtherRevision", {2, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, false, "", ""},
};

void PrintTo(const SidBytesCase& row, std::ostream* out) { *out << row.name; }

class SidBytes : public testing::TestWithParam<SidBytesCase> {};

TEST_P(SidBytes, AreReadAsTheirLayoutSays) {
  const SidBytesCase& c = GetParam();
  SidFacts facts = {};
  ASSERT_EQ(ReadSid(c.bytes.data(), facts), c.expectValid);
  const SidFacts expected = Sid(c.expected);
  EXPECT_TRUE(IsSameSid(facts, expected));
  EXPECT_EQ(facts.authority, expected.authority);
  char text[256];
  if (c.expectValid) {
    ASSERT_NE(WriteSidText(facts, text, sizeof text), 0U);
    EXPECT_EQ(std::string(text), c.text.empty() ? c.expected : c.text);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, SidBytes, testing::ValuesIn(kSidBytesCases), RowName());

}  // namespace
}  // namespace notremovable
