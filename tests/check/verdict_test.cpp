// The verdict's decisions on whole records: what the exe would do and its
// status, compliance, the override's effect and the warnings and notes; and
// the command line's options.
#include "check/verdict.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "check/target.h"
#include "rules/override_key.h"

namespace notremovable {
namespace {

// A record as the check gathers it where all is well: a trusted settings file
// holding an ID, its key composed, nothing there yet, no device.
struct Record {
  SettingsFindings settings;
  char deviceId[kDeviceIdFieldSize];
  char keyPath[kOverrideKeyPathFieldSize];
  char windowsKeyPath[kOverrideKeyPathFieldSize];
  Findings findings;

  void Lay(const std::string& value) {
    settings = {};
    LayIntoField(value, settings.value);
    LayIntoField(value, deviceId);
    settings.file = SettingsFile::Present;
    settings.folder = settings.exe = settings.settings = {};
    settings.folder.verdict = settings.exe.verdict = settings.settings.verdict = TrustVerdict::Trusted;
    findings = {};
    findings.settings = &settings;
    findings.folder = {&settings.folder, "C:\\Tools\\", true, L"", false};
    findings.realFolder = {&settings.realFolder, "", true, L"", false};
    findings.exe = {&settings.exe, "C:\\Tools\\nr.exe", false, L"", false};
    findings.settingsFile = {&settings.settings, "C:\\Tools\\nr.ini", false, L"", false};
    findings.deviceId = &deviceId;
    ComposeOverrideKeyPath(deviceId, keyPath);
    ComposeWindowsOverrideKeyPath(deviceId, windowsKeyPath);
    findings.keyPath = keyPath;
    findings.windowsKeyPath = windowsKeyPath;
    findings.keyNow.state = KeyState::NoKey;
    findings.devices.listed = true;
  }
  void Add(const DeviceFacts& device) { CountDevice(findings.devices, device); }
};

const std::wstring kId = L"USB\\VID_1111&PID_2222";
DeviceFacts Device(Capability capability, bool inComputers, bool present = true) {
  DeviceFacts device = {};
  device.match = IdMatch::MostSpecific;
  device.mostSpecificId = {kId.data(), kId.size()};
  device.presentNow = present;
  device.capability = capability;
  device.container = {true, inComputers, false, {}};
  return device;
}
DeviceFacts DeviceWithoutContainer() {
  DeviceFacts device = Device(Capability::Removable, false);
  device.container = {};
  return device;
}
void Marked(Record& r) {
  r.findings.keyNow.state = KeyState::Dword;
  r.findings.keyNow.data = 0;
}

struct VerdictCase {
  const char* name;
  std::string value;
  void (*lay)(Record& record);
  Outcome outcome;
  int exeStatus;
  int complianceStatus;
  Effect effect;
  std::vector<Notice> notices;
};

const VerdictCase kVerdictCases[] = {
    {"KeyAbsent", "USB\\VID_1111&PID_2222", [](Record&) {}, Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"KeyMarked", "USB\\VID_1111&PID_2222", Marked, Outcome::WouldMark, 1, 0, Effect::NoDevice, {}},
    {"KeyHoldsOne", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.keyNow.data = 1;
     },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"KeyHoldsAString", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       r.findings.keyNow.state = KeyState::OtherType;
       r.findings.keyNow.type = 1;
     },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"KeyWithoutValue", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.keyNow.state = KeyState::WithoutValue; },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"KeyUnreadable", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.keyNow.state = KeyState::Unreadable; },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    // A marked key complies only where the exe, as it stands, would mark it.
    {"MarkedButRefused", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.refusal = Refusal::FolderUntrusted;
       r.settings.folder.verdict = TrustVerdict::WriterUntrusted;
     },
     Outcome::WouldDoNothing, 0, 1, Effect::NoDevice, {}},
    {"MarkedButTooShort", "USB\\VID_1111&PID_222", Marked, Outcome::WouldDoNothing, 0, 1, Effect::NoDevice, {}},
    {"CannotJudge", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.cannotJudge = CannotJudge::NoSuchExe;
     },
     Outcome::CannotJudge, 2, 2, Effect::NoDevice, {}},
    // The effect beside compliance: present devices whose container the override decides.
    {"MarkedInEffect", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.Add(Device(Capability::Removable, true));
     },
     Outcome::WouldMark, 1, 0, Effect::InEffect, {}},
    {"MarkedButPending", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.Add(Device(Capability::Removable, true));
       r.Add(Device(Capability::Removable, false));
     },
     Outcome::WouldMark, 1, 0, Effect::Pending, {Notice::RestartOrReplug}},
    {"ContainerUnknown", "USB\\VID_1111&PID_2222", [](Record& r) { r.Add(DeviceWithoutContainer()); },
     Outcome::WouldMark, 1, 1, Effect::CannotTell, {}},
    {"NotPresentCountsNot", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.Add(Device(Capability::Removable, false, false)); }, Outcome::WouldMark, 1, 1,
     Effect::NoDevice, {Notice::RestartOrReplug, Notice::NotPresent}},
    {"FixedCountsNot", "USB\\VID_1111&PID_2222", [](Record& r) { r.Add(Device(Capability::NotRemovable, false)); },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"CapabilitiesUnknownCountNot", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.Add(Device(Capability::Unknown, false)); }, Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"DevicesNotListed", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       r.Add(Device(Capability::Removable, false, false));
       r.findings.devices.listed = false;
     },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    // Warnings.
    {"TrustedOnlyForTheAccount", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.exe.trustedOnlyForAccount = true; },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {Notice::ExeTrustedOnlyForAccount}},
    {"CommentAfterTheValue", "USB\\VID_1111&PID_2222 ; dock", [](Record&) {}, Outcome::WouldMark, 1, 1,
     Effect::NoDevice, {Notice::ValueSpace, Notice::ValueSemicolon}},
    {"ValueTooLongStillWarned", "USB\\VID_1111&PID_2222 x",
     [](Record& r) { r.findings.refusal = Refusal::ValueTooLong; }, Outcome::WouldDoNothing, 0, 1, Effect::NoDevice,
     {Notice::ValueSpace}},
    {"WideValueOfAPresentFile", "USB\\VID_1111&PID_222K", [](Record& r) { r.findings.wideValueOutsideAscii = true; },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {Notice::WideValueOutsideAscii}},
    {"WideValueWithoutAFile", "USB\\VID_1111&PID_222K",
     [](Record& r) {
       r.findings.wideValueOutsideAscii = true;
       r.settings.file = SettingsFile::Missing;
     },
     Outcome::WouldMark, 1, 1, Effect::NoDevice, {}},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", [](Record&) {}, Outcome::WouldMark, 1, 1, Effect::NoDevice,
     {Notice::KeyNeverRead}},
    {"AnotherSpelling", "USB/VID_1111&PID_2222", [](Record&) {}, Outcome::WouldMark, 1, 1, Effect::NoDevice,
     {Notice::KeyForAnotherSpelling}},
    {"Compatible", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       DeviceFacts device = Device(Capability::Removable, true);
       device.match = IdMatch::Compatible;
       r.Add(device);
     },
     Outcome::WouldMark, 1, 1, Effect::InEffect, {Notice::ReachesOtherKinds}},
};

void PrintTo(const VerdictCase& row, std::ostream* out) { *out << row.name; }

class VerdictOn : public testing::TestWithParam<VerdictCase> {};

TEST_P(VerdictOn, DecidesFromTheRecordAlone) {
  const VerdictCase& c = GetParam();
  static Record record;
  record.Lay(c.value);
  c.lay(record);
  const Verdict verdict = Decide(record.findings);
  EXPECT_EQ(verdict.outcome, c.outcome);
  EXPECT_EQ(ExitStatus(verdict, false), c.exeStatus);
  EXPECT_EQ(ExitStatus(verdict, true), c.complianceStatus);
  EXPECT_EQ(verdict.compliant, c.complianceStatus == kExitCompliant);
  EXPECT_EQ(verdict.effect, c.effect);
  for (std::size_t i = 0; i < kNoticeCount; ++i) {
    bool expected = false;
    for (const Notice notice : c.notices) {
      expected = expected || static_cast<std::size_t>(notice) == i;
    }
    EXPECT_EQ(verdict.notices[i], expected) << "notice " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, VerdictOn, testing::ValuesIn(kVerdictCases), RowName());

// The command line: options, each once, before the one exe.
struct ArgumentsCase {
  const char* name;
  std::vector<const wchar_t*> arguments;
  ArgumentProblem problem;
  bool json;
  bool compliance;
  const wchar_t* exe;
};

const ArgumentsCase kArgumentsCases[] = {
    {"None", {}, ArgumentProblem::None, false, false, nullptr},
    {"Exe", {L"C:\\x\\nr.exe"}, ArgumentProblem::None, false, false, L"C:\\x\\nr.exe"},
    {"BothOptionsThenExe", {L"--compliance", L"--JSON", L"nr.exe"}, ArgumentProblem::None, true, true, L"nr.exe"},
    {"Help", {L"--help"}, ArgumentProblem::Usage, false, false, nullptr},
    {"H", {L"-h"}, ArgumentProblem::Usage, false, false, nullptr},
    {"SlashQuestionMark", {L"/?"}, ArgumentProblem::Usage, false, false, nullptr},
    {"HelpAfterAnOption", {L"--json", L"-H"}, ArgumentProblem::Usage, true, false, nullptr},
    {"TwoExes", {L"one", L"two"}, ArgumentProblem::Usage, false, false, L"one"},
    {"Unknown", {L"--jsonl"}, ArgumentProblem::UnknownOption, false, false, nullptr},
    {"Twice", {L"--json", L"--json"}, ArgumentProblem::OptionTwice, true, false, nullptr},
    {"AfterTheExe", {L"nr.exe", L"--json"}, ArgumentProblem::OptionAfterExe, false, false, L"nr.exe"},
};

void PrintTo(const ArgumentsCase& row, std::ostream* out) { *out << row.name; }

class CommandLine : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLine, TakesOptionsOnceBeforeTheExe) {
  const ArgumentsCase& c = GetParam();
  std::vector<const wchar_t*> argv = {L"notremovable-check.exe"};
  argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
  const Arguments parsed = ParseArguments(static_cast<int>(argv.size()), argv.data());
  EXPECT_EQ(parsed.problem, c.problem);
  EXPECT_EQ(parsed.json, c.json);
  EXPECT_EQ(parsed.compliance, c.compliance);
  EXPECT_EQ(std::wstring(parsed.exe != nullptr ? parsed.exe : L"-"), std::wstring(c.exe != nullptr ? c.exe : L"-"));
  EXPECT_EQ(parsed.culprit == nullptr, c.problem == ArgumentProblem::None);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLine, testing::ValuesIn(kArgumentsCases), RowName());

}  // namespace
}  // namespace notremovable
