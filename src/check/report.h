// The check program's report: every sentence it prints, one fact a line, and
// the verdict last. Text from outside (paths, values, names, messages) is
// escaped, so that only the verdict line starts with "verdict:".
#pragma once

#include <cstddef>
#include <cstdint>

#include "check/devices.h"
#include "check/target.h"
#include "rules/paths.h"
#include "rules/settings.h"
#include "rules/text.h"
#include "rules/trust.h"

namespace notremovable {

// The check's own status where it cannot judge the exe; else the exe's.
inline constexpr int kExitCannotJudge = 2;

// Where the report goes.
class ReportOut {
 public:
  virtual void Write(const char* text, std::size_t length) = 0;

 protected:
  ReportOut() = default;
  ~ReportOut() = default;
  ReportOut(const ReportOut&) = default;
  ReportOut& operator=(const ReportOut&) = default;
};

// One line: the program's own text as it is, text from outside with every
// control character (below 0x20, and 0x7F) as \xHH. Ends the line when it goes.
class ReportLine {
 public:
  ReportLine(ReportOut& out, const char* label);
  ~ReportLine();
  ReportLine(const ReportLine&) = delete;
  ReportLine& operator=(const ReportLine&) = delete;

  ReportLine& Own(const char* text);
  ReportLine& Outside(Text text);
  ReportLine& Outside(const char* text);
  ReportLine& Number(unsigned long long number);

 private:
  ReportOut& out_;
};

// Why the check cannot judge what it was given: one line, and status 2.
// The message and error are the system's, where it could not be read.
int WriteCannotJudge(ReportOut& out, CannotJudge why, const char* shownExe, const char* systemMessage,
                     unsigned long error);

// The exe judged, the account that judges it, and the kind of Windows.
void WriteHeaderLines(ReportOut& out, const char* shownExe, const char* accountName,
                      WindowsKind windows);

// What the most telling write right in the mask lets someone do, worded to
// stand between a name and the object's path ("add files to"); null when
// the mask holds no write right.
const char* WriteRightPhrase(std::uint32_t mask, bool onFolder);

// A trust finding with what the platform found out about it: the name of
// its principal (the untrusted owner, or the entry's SID), and whether it is
// trusted only because it belongs to the account that runs the check.
struct NamedFinding {
  const TrustFinding* finding;
  const char* path;
  bool isFolder;
  const char* principalName;
  bool trustedOnlyForAccount;
};

// What the settings reader found, and what the platform added to it.
struct SettingsReport {
  Refusal refusal;
  const SettingsFindings* findings;  // null: the exe's path was not exact, nothing was read
  const char* exePath;
  const char* accountName;
  const char* systemMessage;     // for findings->error
  const char* exePlaceMessage;   // for findings->exeError
  // Where the settings file really lies differs from its name only in the
  // case of letters outside ASCII, as the file system compares them.
  bool settingsPlaceDiffersInCase;
  // A UTF-16 settings file whose value holds letters outside ASCII, which the
  // exe's ANSI read turns into look-alikes.
  bool wideValueOutsideAscii;
  NamedFinding folder;
  NamedFinding realFolder;
  NamedFinding exe;
  NamedFinding settings;
};
// The settings file, the trust lines (with their warnings) and the value.
void WriteSettingsLines(ReportOut& out, const SettingsReport& report);

// What stands at the exe's key now.
enum class KeyState : std::uint8_t { NoKey, Unreadable, WithoutValue, Dword, OtherType };
struct KeyNow {
  KeyState state;
  unsigned long data;   // Dword
  unsigned long type;   // OtherType
  unsigned long error;  // Unreadable
  const char* systemMessage;
};
// The exe's key, what is there now, and whom Windows reads it for where that
// is not the ID as configured itself.
void WriteKeyLines(ReportOut& out, const char* keyPath, const char* windowsKeyPath, KeyReach reach,
                   const KeyNow& now);

// One device the exe's key reaches, or whose instance path the value is: how,
// and what the override can change on it.
void WriteDeviceLine(ReportOut& out, const DeviceFacts& device);
// The count, the warnings (the override reaches every device with the ID)
// and the notes on when it applies.
void WriteDeviceSummary(ReportOut& out, const DeviceTally& tally);

// The last line: the key the exe would write (null: it would do nothing), and
// the status it would end with, which is returned.
int WriteVerdict(ReportOut& out, const SettingsReport& report, const char* keyPath);

}  // namespace notremovable
