// notremovable-check: tells what notremovable.exe would do on this PC, and
// why, changing nothing. Usage: notremovable-check.exe [--json]
// [--compliance] [EXE]; the exe judged is by default notremovable.exe beside
// this one. One way through: it gathers the facts into one record, the
// verdict decides, and one renderer words them: text, one fact a line, or
// one JSON line. The exit status is the one the exe would end with, or with
// --compliance whether the PC complies; 2 where it cannot judge.
#include <windows.h>

#include <cstdio>

#include "check/devices.h"
#include "check/devices_win32.h"
#include "check/facts_win32.h"
#include "check/findings.h"
#include "check/json_report.h"
#include "check/target_win32.h"
#include "check/text_report.h"
#include "check/verdict.h"
#include "rules/device_id.h"
#include "rules/override_key.h"
#include "rules/settings.h"
#include "win32/paths.h"
#include "win32/settings.h"
#include "win32/trust.h"

namespace {

using namespace notremovable;

// The report goes to a stream as it is written; whether all of it reached
// the stream's end is known once it is flushed.
class StreamReport final : public ReportOut {
 public:
  explicit StreamReport(std::FILE* stream) : stream_(stream) {}
  void Write(const char* text, std::size_t length) override {
    whole_ = std::fwrite(text, 1, length, stream_) == length && whole_;
  }
  bool Flushed() { return std::fflush(stream_) == 0 && std::ferror(stream_) == 0 && whole_; }

 private:
  std::FILE* stream_;
  bool whole_ = true;
};

// Each device the walk hands over is counted in the record, and kept there.
class DeviceRecord final : public DeviceVisitor {
 public:
  explicit DeviceRecord(Findings& findings) : findings_(findings) {}
  void Take(const DeviceFacts& device) override {
    CountDevice(findings_.devices, device);
    static_cast<void>(Keep(findings_.deviceStore, device));
  }
  void TakeUnreadable() override { ++findings_.devices.unreadable; }

 private:
  Findings& findings_;
};

// The system's message for an error, where there is one.
void MessageFor(unsigned long error, char (&message)[kMessageFieldSize]) {
  message[0] = '\0';
  if (error != ERROR_SUCCESS) {
    SystemMessage(error, message);
  }
}

// Everything the check works with, gathered once, for the whole run.
struct Gathered {
  Target target;
  char targetMessage[kMessageFieldSize];
  wchar_t computerName[kNameFieldSize];
  wchar_t accountName[kNameFieldSize];
  char exePath[kPathFieldSize];
  char deviceId[kDeviceIdFieldSize];
  SettingsFindings settings;
  char message[kMessageFieldSize];
  char exeMessage[kMessageFieldSize];
  wchar_t names[4][kNameFieldSize];
  char keyPath[kOverrideKeyPathFieldSize];
  char mergedLevel[kOverrideKeyPathFieldSize];
  char windowsKeyPath[kOverrideKeyPathFieldSize];
  char keyMessage[kMessageFieldSize];
};

// What the exe would read, and who may change it, as the exe itself judges.
void GatherSettings(Gathered& gathered, Findings& findings) {
  SettingsFindings& settings = gathered.settings;
  std::size_t exeLength = 0;
  findings.refusal = ExactPathAsModule(gathered.target, gathered.exePath, exeLength);
  if (findings.refusal == Refusal::None) {
    findings.refusal = ReadDeviceIdBeside(gathered.exePath, exeLength, gathered.deviceId, settings);
  }
  if (exeLength == 0) {
    return;  // the exe's path is not exact: nothing was read
  }
  findings.settings = &settings;
  findings.exePath = gathered.exePath;
  MessageFor(settings.error, gathered.message);
  MessageFor(settings.exePlace == Whereabouts::Unknown ? settings.exeError : ERROR_SUCCESS, gathered.exeMessage);
  findings.systemMessage = gathered.message;
  findings.exePlaceMessage = gathered.exeMessage;
  findings.settingsPlaceDiffersInCase = IsPathButForCase(settings.realPath, settings.settingsPath);
  findings.wideValueOutsideAscii =
      settings.file == SettingsFile::Present && HasWideValueOutsideAscii(settings.settingsPath);
  findings.folder = Named(settings.folder, settings.folderPath, true, gathered.names[0]);
  findings.realFolder = Named(settings.realFolder, settings.realFolderPath, true, gathered.names[1]);
  findings.exe = Named(settings.exe, gathered.exePath, false, gathered.names[2]);
  findings.settingsFile = Named(settings.settings, settings.settingsPath, false, gathered.names[3]);
}

// The key the exe would write, Windows' own for the ID, and what stands there now.
void GatherKey(Gathered& gathered, Findings& findings) {
  ComposeOverrideKeyPath(gathered.deviceId, gathered.keyPath);
  ComposeWindowsOverrideKeyPath(gathered.deviceId, gathered.windowsKeyPath);
  findings.keyPath = gathered.keyPath;
  findings.windowsKeyPath = gathered.windowsKeyPath;
  findings.keyNow = ReadKeyNow(gathered.keyPath, gathered.keyMessage);
}

// The run's fields, for the whole run.
Gathered gathered;
PlatformCodePage codePage;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  StreamReport errors(stderr);
  const Arguments arguments = ParseArguments(argc, argv);
  if (arguments.problem != ArgumentProblem::None) {
    WriteArgumentProblem(errors, codePage, arguments);
    return kExitCannotJudge;
  }

  // The record, with the devices it keeps, on the stack, where it takes no
  // room in the program's file.
  Findings findings = {};
  findings.toolVersion = NOTREMOVABLE_VERSION;
  findings.builtFor32BitX86 = kBuiltFor32BitX86;
  findings.exeShown = gathered.target.shown;
  findings.targetMessage = gathered.targetMessage;
  findings.computerName = gathered.computerName;
  findings.deviceId = &gathered.deviceId;
  findings.refusal = Refusal::ReadsMayGoElsewhere;
  ComputerName(gathered.computerName);
  findings.windows = RunningWindowsKind();
  ProcessAccount account;
  if (GetProcessAccount(account)) {
    NamePrincipal(account.sid, gathered.accountName);
    findings.accountName = gathered.accountName;
  }

  Target& target = gathered.target;
  FindTarget(arguments.exe, target, findings.target);
  findings.exeExactPath = target.length > 0 ? target.path : nullptr;
  // As the exe renders its path, best fit included: a 32-bit program cannot
  // even see what lies in System32 under WOW64, but the exe's rule refuses
  // it by its path alone, so it is not looked at.
  if (JudgeTarget(findings.target) == CannotJudge::None && target.renderedLength > 0 &&
      ReadsReachExeFolder(target.rendered, target.renderedLength)) {
    LookAtTarget(target, findings.target);
    MessageFor(findings.target.error, gathered.targetMessage);
    // Nothing more to look at where what stands there is no program to judge.
    if (JudgeTarget(findings.target) == CannotJudge::None) {
      GatherSettings(gathered, findings);
    }
  }
  // Where the exe would mark: its key, what stands there, and the devices it reaches.
  if (WouldMark(findings)) {
    GatherKey(gathered, findings);
    DeviceRecord devices(findings);
    // A key with an empty level reaches no device as it stands; merged away,
    // as Wine writes it, it reaches those of the ID without it.
    Text level = OverrideKeyLevel(gathered.keyPath);
    if (HasEmptyLevel(level)) {
      level = {gathered.mergedLevel, MergedKeyLevel(level, gathered.mergedLevel, sizeof gathered.mergedLevel)};
    }
    findings.devices.listed = WalkDevices(level, {gathered.deviceId, LengthOf(gathered.deviceId)}, devices);
  }
  // Decided once, on the whole record; worded by one renderer.
  const Verdict verdict = Decide(findings);
  if (verdict.outcome == Outcome::CannotJudge) {
    WriteCannotJudge(errors, codePage, findings, verdict);
  }
  StreamReport out(stdout);
  TextReport text(out, codePage);
  // On the stack, where it takes no room in the program's file.
  JsonFields jsonFields;
  JsonReport jsonReport(out, codePage, arguments.compliance ? kComplianceLineBound : 0, jsonFields);
  Renderer& renderer = arguments.json ? static_cast<Renderer&>(jsonReport) : text;
  renderer.Render(findings, verdict);
  // A status without its report would stand unexplained: compliance above all.
  if (!out.Flushed()) {
    WriteReportNotWritten(errors, codePage);
    return kExitCannotJudge;
  }
  return ExitStatus(verdict, arguments.compliance);
}
