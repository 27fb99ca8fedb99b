// What the check program gathers beside the settings reader's findings: the
// names of accounts, the system's messages, and what stands at a key now.
#pragma once

#include <cstddef>

#include "check/report.h"
#include "rules/trust.h"
#include "win32/trust.h"

namespace notremovable {

inline constexpr std::size_t kNameFieldSize = 256;
inline constexpr std::size_t kMessageFieldSize = 512;

// A principal by its account name, or by its SID where it has none.
void NamePrincipal(const void* sid, char (&name)[kNameFieldSize]);

// A finding with the name of its principal, and whether it is trusted only
// because it belongs to the account that runs the check.
NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   char (&name)[kNameFieldSize]);

// The system's message for an error, without its final line break and stop.
void SystemMessage(unsigned long error, char (&message)[kMessageFieldSize]);

// What stands at the exe's key now, read only.
KeyNow ReadKeyNow(const char* keyPath, char (&message)[kMessageFieldSize]);

// Whether the real path ("\\?\C:\...") names the path but for the case of
// letters, compared as the file system compares names (beyond ASCII too).
bool IsPathButForCase(const char* realPath, const char* path);

// Whether the settings file is UTF-16 (it starts with the byte order mark)
// and its value holds letters outside ASCII, as the wide read gives it.
bool HasWideValueOutsideAscii(const char* settingsPath);

}  // namespace notremovable
