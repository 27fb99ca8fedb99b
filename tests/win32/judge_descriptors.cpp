// Test program: the trust check's own judging step on the descriptors that
// Windows really gives folders (written as SDDL, which Wine converts as
// Windows does), and its fetching step through a handle on one too large for
// its field. Prints "ok NAME" or "FAILED NAME: why" a row; exit 0 when all hold.
#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "win32/trust.h"

namespace {

using namespace notremovable;

#define TRUSTED_INSTALLER "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
#define DOMAIN_ADMINS "S-1-5-21-1004336348-1177238915-682003330-512"
// What Program Files hands down to a folder made in it, but the creator's own entry.
#define PROGRAM_FILES_INHERITED                                                               \
  "(A;ID;FA;;;" TRUSTED_INSTALLER ")(A;CIIOID;GA;;;" TRUSTED_INSTALLER ")(A;ID;FA;;;SY)"     \
  "(A;OICIIOID;GA;;;SY)(A;ID;FA;;;BA)(A;OICIIOID;GA;;;BA)(A;ID;0x1200a9;;;BU)"               \
  "(A;OICIIOID;GXGR;;;BU)(A;OICIIOID;GA;;;CO)(A;ID;0x1200a9;;;AC)(A;OICIIOID;GXGR;;;AC)"     \
  "(A;ID;0x1200a9;;;S-1-15-2-2)(A;OICIIOID;GXGR;;;S-1-15-2-2)"

#define PROGRAM_FILES                                                                           \
  "O:" TRUSTED_INSTALLER "G:" TRUSTED_INSTALLER "D:PAI(A;;FA;;;" TRUSTED_INSTALLER ")"            \
  "(A;CIIO;GA;;;" TRUSTED_INSTALLER ")(A;;0x1301bf;;;SY)(A;OICIIO;GA;;;SY)(A;;0x1301bf;;;BA)"     \
  "(A;OICIIO;GA;;;BA)(A;;0x1200a9;;;BU)(A;OICIIO;GXGR;;;BU)(A;OICIIO;GA;;;CO)"                    \
  "(A;;0x1200a9;;;AC)(A;OICIIO;GXGR;;;AC)(A;;0x1200a9;;;S-1-15-2-2)(A;OICIIO;GXGR;;;S-1-15-2-2)"

struct Row {
  const char* name;
  const char* sddl;
  TrustVerdict expected;
};

const Row kRows[] = {
    // C:\ lets every signed-in user add folders (Windows 10 and 11) or Users
    // add files and folders (Server); what is made in it inherits that.
    {"c_root_windows_10",
     "O:" TRUSTED_INSTALLER "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
     "(A;OICIIO;SDGXGWGR;;;AU)(A;;LC;;;AU)",
     TrustVerdict::WriterUntrusted},
    {"folder_under_c_root_windows_10",
     "O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)"
     "(A;OICIIOID;SDGXGWGR;;;AU)",
     TrustVerdict::WriterUntrusted},
    {"c_root_server",
     "O:" TRUSTED_INSTALLER "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
     "(A;CI;LC;;;BU)(A;CIIO;DC;;;BU)(A;OICIIO;GA;;;CO)",
     TrustVerdict::WriterUntrusted},
    {"folder_under_c_root_server",
     "O:BAD:AI(A;OICIID;FA;;;SY)(A;OICIID;FA;;;BA)(A;OICIID;0x1200a9;;;BU)(A;CIID;LC;;;BU)"
     "(A;CIID;DC;;;BU)(A;OICIIOID;GA;;;CO)",
     TrustVerdict::WriterUntrusted},
    {"program_files", PROGRAM_FILES, TrustVerdict::Trusted},
    {"folder_in_program_files_by_administrator", "O:BAD:AI" PROGRAM_FILES_INHERITED,
     TrustVerdict::Trusted},
    {"folder_in_program_files_by_system", "O:SYD:AI(A;ID;FA;;;SY)" PROGRAM_FILES_INHERITED,
     TrustVerdict::Trusted},
    // A domain's scripts share: administrators write, users and Server Operators read.
    {"sysvol_scripts",
     "O:BAD:AI(A;OICIID;0x1200a9;;;AU)(A;OICIID;0x1200a9;;;SO)(A;ID;FA;;;BA)(A;OICIIOID;GA;;;BA)"
     "(A;OICIIOID;GA;;;CO)(A;ID;FA;;;SY)(A;OICIIOID;GA;;;SY)",
     TrustVerdict::Trusted},
    {"owned_by_domain_admins",
     "O:" DOMAIN_ADMINS "D:(A;OICI;FA;;;" DOMAIN_ADMINS ")(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;AU)",
     TrustVerdict::Trusted},
    {"share_users_may_change",
     "O:" DOMAIN_ADMINS "D:(A;OICI;FA;;;" DOMAIN_ADMINS ")(A;OICI;0x1301bf;;;DU)",
     TrustVerdict::WriterUntrusted},
    // An empty DACL lets no one in; a NULL one (below) lets anyone do anything.
    {"empty_dacl", "O:BAD:", TrustVerdict::Trusted},
    // An inherit-only entry applies to what is made in the folder, not to it.
    {"users_inherit_only", "O:BAD:(A;;FA;;;SY)(A;;FA;;;BA)(A;OICIIO;GA;;;BU)", TrustVerdict::Trusted},
};

const char* VerdictName(TrustVerdict verdict) {
  static const char* const kNames[] = {"NotChecked",  "Trusted", "OwnerUntrusted", "WriterUntrusted",
                                       "EntryUnread", "NoDacl",  "Unreadable"};
  return kNames[static_cast<int>(verdict)];
}

int failures = 0;

void Report(const char* name, TrustVerdict got, TrustVerdict expected) {
  if (got == expected) {
    std::printf("ok %s\n", name);
  } else {
    std::printf("FAILED %s: %s, expected %s\n", name, VerdictName(got), VerdictName(expected));
    ++failures;
  }
}

// The descriptor that the SDDL gives, judged as the exe judges a fetched one.
TrustVerdict Judge(const char* sddl, const ProcessAccount& account, TrustFinding& finding) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                           nullptr) == FALSE) {
    return TrustVerdict::NotChecked;
  }
  const TrustVerdict verdict = JudgeSecurity(descriptor, account, finding);
  LocalFree(descriptor);
  return verdict;
}

// The same descriptor fetched through a handle, as the exe fetches its
// settings file's: here an event's, which keeps the descriptor it was made with.
TrustVerdict FetchAndJudge(const char* sddl, const ProcessAccount& account, TrustFinding& finding) {
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
  if (ConvertStringSecurityDescriptorToSecurityDescriptorA(
          sddl, SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr) == FALSE) {
    return TrustVerdict::NotChecked;
  }
  const HANDLE event = CreateEventA(&attributes, TRUE, FALSE, nullptr);
  LocalFree(attributes.lpSecurityDescriptor);
  if (event == nullptr) {
    return TrustVerdict::NotChecked;
  }
  const TrustVerdict verdict = CheckHeldTrust(event, account, finding);
  CloseHandle(event);
  return verdict;
}

}  // namespace

int main() {
  ProcessAccount account;
  if (!GetProcessAccount(account)) {
    std::printf("FAILED account: the token's user cannot be read\n");
    return 1;
  }
  static TrustFinding finding;
  for (const Row& row : kRows) {
    Report(row.name, Judge(row.sddl, account, finding), row.expected);
  }

  // A NULL DACL, as Windows gives one (Wine's SDDL reader makes it an empty DACL).
  PSID administrators = nullptr;
  SECURITY_DESCRIPTOR nullDacl;
  TrustVerdict verdict = TrustVerdict::NotChecked;
  if (ConvertStringSidToSidA("BA", &administrators) != FALSE &&
      InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION) != FALSE &&
      SetSecurityDescriptorOwner(&nullDacl, administrators, FALSE) != FALSE &&
      SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE) != FALSE) {
    verdict = JudgeSecurity(&nullDacl, account, finding);
  }
  LocalFree(administrators);
  Report("null_dacl", verdict, TrustVerdict::NoDacl);

  // An owner that is the token's user but for its last sub-authority.
  char* user = nullptr;
  static char sddl[40000];
  if (ConvertSidToStringSidA(const_cast<void*>(account.sid), &user) != FALSE) {
    const char* last = std::strrchr(user, '-');
    std::snprintf(sddl, sizeof sddl, "O:%.*s-%luD:(A;;FA;;;SY)", static_cast<int>(last - user),
                  user, std::strtoul(last + 1, nullptr, 10) + 1);
    LocalFree(user);
  }
  Report("owner_differs_in_last_sub_authority", Judge(sddl, account, finding),
         TrustVerdict::OwnerUntrusted);

  // Fetched through a handle: a trusted descriptor fills the field, then one
  // of over 4 KiB must be unreadable, never judged from what the field held.
  Report("fetched_through_handle", FetchAndJudge(PROGRAM_FILES, account, finding),
         TrustVerdict::Trusted);
  int used = std::snprintf(sddl, sizeof sddl, "O:BAD:(A;;FA;;;SY)");
  for (int i = 0; i < 200; ++i) {
    used += std::snprintf(sddl + used, sizeof sddl - static_cast<std::size_t>(used),
                          "(A;;0x1200a9;;;S-1-5-21-1-2-3-%d)", 2000 + i);
  }
  Report("over_4_kib_unreadable", FetchAndJudge(sddl, account, finding), TrustVerdict::Unreadable);

  // The same by name: a trusted folder fills the field, then a name whose
  // descriptor cannot be fetched must be unreadable.
  char windowsFolder[MAX_PATH];
  const UINT length = GetWindowsDirectoryA(windowsFolder, MAX_PATH);
  Report("fetched_by_name", length != 0 && length < MAX_PATH ? CheckTrust(windowsFolder, account, finding)
                                                             : TrustVerdict::NotChecked,
         TrustVerdict::Trusted);
  Report("missing_name_unreadable", CheckTrust("C:\\no such folder\\no such file", account, finding),
         TrustVerdict::Unreadable);
  return failures == 0 ? 0 : 1;
}
