// notremovable-check: tells what notremovable.exe would do on this PC, and
// why, changing nothing. Usage: notremovable-check.exe [EXE]; the exe judged
// is by default notremovable.exe beside this one. One way through: it
// gathers the facts, judges them as the exe would, and words them, one fact a
// line; the exit status is the one the exe would end with, or 2 when it
// cannot be judged.
#include <windows.h>

#include <cstdio>

#include "check/devices.h"
#include "check/devices_win32.h"
#include "check/facts_win32.h"
#include "check/report.h"
#include "check/target_win32.h"
#include "rules/device_id.h"
#include "rules/override_key.h"
#include "rules/settings.h"
#include "win32/paths.h"
#include "win32/settings.h"
#include "win32/trust.h"

namespace {

using namespace notremovable;

// The report goes to a stream as it is written.
class StreamReport final : public ReportOut {
 public:
  explicit StreamReport(std::FILE* stream) : stream_(stream) {}
  void Write(const char* text, std::size_t length) override {
    static_cast<void>(std::fwrite(text, 1, length, stream_));
  }

 private:
  std::FILE* stream_;
};

// Each device the walk hands over gets its line, and is counted.
class DeviceLines final : public DeviceVisitor {
 public:
  explicit DeviceLines(ReportOut& out) : out_(out) {}
  void Take(const DeviceFacts& device) override {
    WriteDeviceLine(out_, device);
    CountDevice(tally_, device);
  }
  void TakeUnreadable() override { ++tally_.unreadable; }
  DeviceTally& Tally() { return tally_; }

 private:
  ReportOut& out_;
  DeviceTally tally_ = {};
};

// The key the exe would write, what stands there now, whom Windows reads it
// for, and the devices it reaches.
void WriteKeyAndDevices(ReportOut& out, const char (&deviceId)[kDeviceIdFieldSize],
                        const char (&keyPath)[kOverrideKeyPathFieldSize]) {
  char windowsKeyPath[kOverrideKeyPathFieldSize];
  ComposeWindowsOverrideKeyPath(deviceId, windowsKeyPath);
  const Text keyLevel = OverrideKeyLevel(keyPath);
  const Text value = {deviceId, LengthOf(deviceId)};
  char keyMessage[kMessageFieldSize] = "";
  WriteKeyLines(out, keyPath, windowsKeyPath, JudgeKeyReach(keyLevel, OverrideKeyLevel(windowsKeyPath)),
                ReadKeyNow(keyPath, keyMessage));
  DeviceLines devices(out);
  devices.Tally().listed = WalkDevices(keyLevel, value, devices);
  WriteDeviceSummary(out, devices.Tally());
}

// The system's message for an error the findings hold, where they hold one.
void MessageFor(bool hasError, unsigned long error, char (&message)[kMessageFieldSize]) {
  message[0] = '\0';
  if (hasError) {
    SystemMessage(error, message);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  StreamReport errors(stderr);
  static Target target;
  char message[kMessageFieldSize] = "";
  CannotJudge problem = FindTarget(argc, argv, target);
  // As the exe renders its path, best fit included: a 32-bit program cannot
  // even see what lies in System32 under WOW64, but the exe's rule refuses
  // it by its path alone.
  const bool readsReachFolder = problem == CannotJudge::None && target.renderedLength > 0 &&
                                ReadsReachExeFolder(target.rendered, target.renderedLength);
  if (readsReachFolder) {
    problem = LookAtTarget(target);
    MessageFor(problem == CannotJudge::Unreadable, target.error, message);
  }
  if (problem != CannotJudge::None) {
    return WriteCannotJudge(errors, problem, target.shown, message, target.error);
  }

  StreamReport out(stdout);
  ProcessAccount account;
  char accountName[kNameFieldSize] = "";
  const bool accountKnown = GetProcessAccount(account);
  if (accountKnown) {
    NamePrincipal(account.sid, accountName);
  }
  WriteHeaderLines(out, target.shown, accountKnown ? accountName : nullptr, RunningWindowsKind());

  char exePath[kPathFieldSize];
  exePath[0] = '\0';
  char deviceId[kDeviceIdFieldSize];
  deviceId[0] = '\0';
  static SettingsFindings findings;
  std::size_t exeLength = 0;
  Refusal refusal = Refusal::ReadsMayGoElsewhere;
  if (readsReachFolder) {
    refusal = ExactPathAsModule(target, exePath, exeLength);
    if (refusal == Refusal::None) {
      refusal = ReadDeviceIdBeside(exePath, exeLength, deviceId, findings);
    }
  }
  const bool looked = exeLength != 0;
  MessageFor(looked && (findings.file == SettingsFile::Unreadable || refusal == Refusal::SettingsPlaceUnknown ||
                        refusal == Refusal::SettingsReadFailed),
             findings.error, message);
  char exeMessage[kMessageFieldSize];
  MessageFor(looked && findings.exePlace == Whereabouts::Unknown, findings.exeError, exeMessage);
  char names[4][kNameFieldSize];
  const SettingsReport report = {
      refusal,
      looked ? &findings : nullptr,
      exePath,
      accountName,
      message,
      exeMessage,
      refusal == Refusal::SettingsElsewhere && IsPathButForCase(findings.realPath, findings.settingsPath),
      looked && findings.file == SettingsFile::Present &&
          (refusal == Refusal::None || refusal == Refusal::ValueTooLong) &&
          HasWideValueOutsideAscii(findings.settingsPath),
      Named(findings.folder, findings.folderPath, true, names[0]),
      Named(findings.realFolder, findings.realFolderPath, true, names[1]),
      Named(findings.exe, exePath, false, names[2]),
      Named(findings.settings, findings.settingsPath, false, names[3])};
  WriteSettingsLines(out, report);

  const bool actedOn = refusal == Refusal::None && IsDeviceIdActedOn(deviceId);
  char keyPath[kOverrideKeyPathFieldSize];
  if (actedOn) {
    ComposeOverrideKeyPath(deviceId, keyPath);
    WriteKeyAndDevices(out, deviceId, keyPath);
  }
  return WriteVerdict(out, report, actedOn ? keyPath : nullptr);
}
