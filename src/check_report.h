// The check program's report: what the facts it gathered mean, one fact a
// line, and the verdict last. Text from outside (paths, values, names,
// messages) is escaped, so that only the verdict line starts with "verdict:".
// Pure logic over plain data, free of <windows.h>, so that it also builds and
// is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "device_match.h"
#include "settings_reader.h"

namespace notremovable {

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
  ReportLine& Outside(TextSpan text);
  ReportLine& Outside(const char* text);
  ReportLine& Number(unsigned long number);

 private:
  ReportOut& out_;
};

inline constexpr char kRootKeyName[] = "HKEY_LOCAL_MACHINE";

// The exe judged, the account that judges it, and the kind of Windows.
enum class WindowsKind : std::uint8_t { Unknown, Bits32, Bits64 };
void WriteHeaderLines(ReportOut& out, const char* shownExe, const char* accountName,
                      WindowsKind windows);

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
  const char* systemMessage;  // for findings->error
  NamedFinding folder;
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
// The exe's key, what is there now, and Windows' own key where it differs.
void WriteKeyLines(ReportOut& out, const char* keyPath, const char* windowsKeyPath,
                   const KeyNow& now);

// A device that has the ID, as the walk over the devices found it.
struct DeviceFacts {
  TextSpan name;
  bool presentNow;
  IdMatch match;
  TextSpan mostSpecificId;  // its first hardware ID
  OverrideEffect effect;
};
void WriteDeviceLine(ReportOut& out, const DeviceFacts& device);

// The ID is the instance path of a device, not a hardware ID.
void WriteInstancePathLine(ReportOut& out, TextSpan name, TextSpan hardwareId);

// The devices that have the ID, counted as the walk goes.
inline constexpr std::size_t kTalliedIdFieldSize = 256;
struct DeviceTally {
  bool listed;
  bool instancePath;
  std::size_t matching;
  std::size_t compatible;
  std::size_t notYet;
  std::size_t unreadable;  // devices whose ID lists could not be read
  bool mostSpecificIdsDiffer;
  char firstMostSpecificId[kTalliedIdFieldSize];
  std::size_t firstMostSpecificLength;
};
void CountDevice(DeviceTally& tally, const DeviceFacts& device);
// The count, and the warnings: the override reaches every device with the ID.
void WriteDeviceSummary(ReportOut& out, const DeviceTally& tally);

// The last line: the key the exe would write (null: it would do nothing), and
// the status it would end with, which is returned.
int WriteVerdict(ReportOut& out, const SettingsReport& report, const char* keyPath);

}  // namespace notremovable
