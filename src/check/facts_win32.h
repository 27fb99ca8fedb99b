// What the check program gathers beside the settings reader's findings: the
// names of the computer and of accounts, the system's messages, what stands
// at a key now, and the code page's conversions.
#pragma once

#include <cstddef>

#include "check/findings.h"
#include "rules/trust.h"
#include "win32/trust.h"

namespace notremovable {

inline constexpr std::size_t kNameFieldSize = 256;
inline constexpr std::size_t kMessageFieldSize = 512;

// The computer's name; empty where it cannot be read.
void ComputerName(wchar_t (&name)[kNameFieldSize]);

// A principal by its account name, or by its SID where it has none.
void NamePrincipal(const void* sid, wchar_t (&name)[kNameFieldSize]);

// A finding with the name of its principal, and whether it is trusted only
// because it belongs to the account that runs the check.
NamedFinding Named(const TrustFinding& finding, const char* path, bool isFolder,
                   wchar_t (&name)[kNameFieldSize]);

// The system's message for an error, without its final line break and stop.
void SystemMessage(unsigned long error, char (&message)[kMessageFieldSize]);

// What stands at the exe's key now, read only.
KeyNow ReadKeyNow(const char* keyPath, char (&message)[kMessageFieldSize]);

// Whether the real path ("\\?\C:\...") names the path but for the case of
// letters, compared as the file system compares names (beyond ASCII too).
bool IsPathButForCase(const char* realPath, const char* path);

// The system's ANSI code page, through its conversion calls.
class PlatformCodePage final : public CodePage {
 public:
  Text Shown(WideText text) override;
  WideText Widened(Text text) override;

 private:
  static constexpr int kFieldSize = 1024;
  char shown_[kFieldSize] = {};
  wchar_t widened_[kFieldSize] = {};
};

// Whether the settings file is UTF-16 (it starts with the byte order mark)
// and its value holds letters outside ASCII, as the wide read gives it.
bool HasWideValueOutsideAscii(const char* settingsPath);

}  // namespace notremovable
