// The verdict's decisions on whole records: what the exe would do and its
// status, compliance, the override's effect and the warnings and notes; and
// the command line's options.
#include "check/verdict.h"

#include <gtest/gtest.h>

#include "table_rows.h"
#include "check/report_fakes.h"
#include "check/text_report.h"

#include <cwchar>
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
    findings.folder = {&settings.folder, "C:\\Tools\\", true, L"", TrustVerdict::NotChecked};
    findings.realFolder = {&settings.realFolder, "", true, L"", TrustVerdict::NotChecked};
    findings.exe = {&settings.exe, "C:\\Tools\\nr.exe", false, L"", TrustVerdict::NotChecked};
    findings.settingsFile = {&settings.settings, "C:\\Tools\\nr.ini", false, L"", TrustVerdict::NotChecked};
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
  Reason reason;
  int exeStatus;
  int complianceStatus;
  Effect effect;
  std::vector<Notice> notices;
};

const VerdictCase kVerdictCases[] = {
    {"KeyAbsent", "USB\\VID_1111&PID_2222", [](Record&) {}, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"KeyMarked", "USB\\VID_1111&PID_2222", Marked, Outcome::WouldMark, Reason::None, 1, 0, Effect::NoDevice, {}},
    {"KeyHoldsOne", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.keyNow.data = 1;
     },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"KeyHoldsAString", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       r.findings.keyNow.state = KeyState::OtherType;
       r.findings.keyNow.type = 1;
     },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"KeyWithoutValue", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.keyNow.state = KeyState::WithoutValue; },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"KeyUnreadable", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.keyNow.state = KeyState::Unreadable; },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    // A marked key complies only where the exe, as it stands, would mark it.
    {"MarkedButRefused", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.refusal = Refusal::FolderUntrusted;
       r.settings.folder.verdict = TrustVerdict::WriterUntrusted;
     },
     Outcome::WouldDoNothing, Reason::FolderUntrusted, 0, 1, Effect::NoDevice, {}},
    {"MarkedButTooShort", "USB\\VID_1111&PID_222", Marked, Outcome::WouldDoNothing, Reason::IdTooShort, 0, 1, Effect::NoDevice, {}},
    {"CannotJudge", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.target = {false, false, true, false, true, false, false, false, PeVerdict::NotAProgram, 2};
     },
     Outcome::CannotJudge, Reason::NoSuchExe, 2, 2, Effect::NoDevice, {}},
    // The effect beside compliance: present devices whose container the override decides.
    {"MarkedInEffect", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.Add(Device(Capability::Removable, true));
     },
     Outcome::WouldMark, Reason::None, 1, 0, Effect::InEffect, {}},
    {"MarkedButPending", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.Add(Device(Capability::Removable, true));
       r.Add(Device(Capability::Removable, false));
     },
     Outcome::WouldMark, Reason::None, 1, 0, Effect::Pending, {Notice::RestartOrReplug}},
    {"ContainerUnknown", "USB\\VID_1111&PID_2222", [](Record& r) { r.Add(DeviceWithoutContainer()); },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::CannotTell, {}},
    {"NotPresentCountsNot", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.Add(Device(Capability::Removable, false, false)); }, Outcome::WouldMark, Reason::None, 1, 1,
     Effect::NoDevice, {Notice::RestartOrReplug, Notice::NotPresent}},
    {"FixedInTheComputersContainerCountsNot", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.Add(Device(Capability::NotRemovable, true)); }, Outcome::WouldMark, Reason::None, 1, 1,
     Effect::NoDevice, {}},
    {"FixedCountsNot", "USB\\VID_1111&PID_2222", [](Record& r) { r.Add(Device(Capability::NotRemovable, false)); },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"CapabilitiesUnknownCountNot", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.Add(Device(Capability::Unknown, false)); }, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"DevicesNotListed", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       r.Add(Device(Capability::Removable, false, false));
       r.findings.devices.listed = false;
     },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    // Warnings.
    {"TrustedOnlyForTheAccount", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.exe.withoutAccount = TrustVerdict::OwnerUntrusted; },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {Notice::ExeTrustedOnlyForAccount}},
    {"TrustedForAnyAccount", "USB\\VID_1111&PID_2222",
     [](Record& r) { r.findings.exe.withoutAccount = TrustVerdict::Trusted; }, Outcome::WouldMark, Reason::None, 1, 1,
     Effect::NoDevice, {}},
    {"CommentAfterTheValue", "USB\\VID_1111&PID_2222 ; dock", [](Record&) {}, Outcome::WouldMark, Reason::None, 1, 1,
     Effect::NoDevice, {Notice::ValueSpace, Notice::ValueSemicolon}},
    {"TargetCutShort", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       Marked(r);
       r.findings.target = {false, false, true, true, false, false, true, true, PeVerdict::Truncated, 0};
     },
     Outcome::CannotJudge, Reason::TargetTruncated, 2, 2, Effect::NoDevice, {}},
    {"SettingsHeld", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.refusal = Refusal::SettingsHeld; },
     Outcome::WouldDoNothing, Reason::SettingsHeld, 0, 1, Effect::NoDevice, {}},
    // Elsewhere only by the case of letters outside ASCII: its own reason.
    {"SettingsNameInAnotherCase", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       r.findings.refusal = Refusal::SettingsElsewhere;
       r.findings.settingsPlaceDiffersInCase = true;
     },
     Outcome::WouldDoNothing, Reason::SettingsNameCase, 0, 1, Effect::NoDevice, {}},
    {"SettingsElsewhere", "USB\\VID_1111&PID_2222", [](Record& r) { r.findings.refusal = Refusal::SettingsElsewhere; },
     Outcome::WouldDoNothing, Reason::SettingsElsewhere, 0, 1, Effect::NoDevice, {}},
    {"ValueTooLongStillWarned", "USB\\VID_1111&PID_2222 x",
     [](Record& r) { r.findings.refusal = Refusal::ValueTooLong; }, Outcome::WouldDoNothing, Reason::ValueTooLong, 0, 1, Effect::NoDevice,
     {Notice::ValueSpace}},
    {"WideValueOfAPresentFile", "USB\\VID_1111&PID_222K", [](Record& r) { r.findings.wideValueOutsideAscii = true; },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {Notice::WideValueOutsideAscii}},
    {"WideValueWithoutAFile", "USB\\VID_1111&PID_222K",
     [](Record& r) {
       r.findings.wideValueOutsideAscii = true;
       r.settings.file = SettingsFile::Missing;
     },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice, {}},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", [](Record&) {}, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice,
     {Notice::KeyNeverRead}},
    {"AnotherSpelling", "USB/VID_1111&PID_2222", [](Record&) {}, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice,
     {Notice::KeyForAnotherSpelling}},
    // An empty key level: where Windows reads it cannot be told, so marked is not compliant.
    {"EmptyLevelAtTheEnd", "USB\\VID_1111&PID_2222\\", Marked, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice,
     {Notice::ValueThirdPart, Notice::KeyEmptyLevel}},
    {"EmptyLevelInside", "USB\\VID_1111\\\\PID_2222&REV_01", Marked, Outcome::WouldMark, Reason::None, 1, 1, Effect::NoDevice,
     {Notice::ValueThirdPart, Notice::KeyEmptyLevel}},
    {"FurtherLevelNotEmpty", "USB\\VID_1111&PID_2222\\5&1", Marked, Outcome::WouldMark, Reason::None, 1, 0, Effect::NoDevice,
     {Notice::ValueThirdPart, Notice::KeyNeverRead}},
    {"Compatible", "USB\\VID_1111&PID_2222",
     [](Record& r) {
       DeviceFacts device = Device(Capability::Removable, true);
       device.match = IdMatch::Compatible;
       r.Add(device);
     },
     Outcome::WouldMark, Reason::None, 1, 1, Effect::InEffect, {Notice::ReachesOtherKinds}},
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
  EXPECT_EQ(verdict.reason, c.reason);
  EXPECT_EQ(WouldMark(record.findings), c.outcome == Outcome::WouldMark);
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

// A key level with empty levels, merged away as Wine writes it.
struct MergedLevelCase {
  const char* name;
  std::string level;
  std::string merged;
};

const MergedLevelCase kMergedLevelCases[] = {
    {"TrailingBackslash", "USB#VID_1111&PID_2222\\", "USB#VID_1111&PID_2222"},
    {"TwoInARow", "USB#VID_1111\\\\PID_2222", "USB#VID_1111\\PID_2222"},
    {"LeadingBackslash", "\\USB#VID_1111", "USB#VID_1111"},
    {"SeveralAndAtTheEnd", "USB#X\\\\\\Y\\\\", "USB#X\\Y"},
    {"NoEmptyLevel", "USB#X\\Y", "USB#X\\Y"},
};

void PrintTo(const MergedLevelCase& row, std::ostream* out) { *out << row.name; }

class MergedLevel : public testing::TestWithParam<MergedLevelCase> {};

TEST_P(MergedLevel, HasNoEmptyLevelLeft) {
  const MergedLevelCase& c = GetParam();
  char field[64] = {};
  const std::size_t length = MergedKeyLevel({c.level.data(), c.level.size()}, field, sizeof field);
  EXPECT_EQ(std::string(field, length), c.merged);
  EXPECT_FALSE(HasEmptyLevel({field, length}));
}

INSTANTIATE_TEST_SUITE_P(Table, MergedLevel, testing::ValuesIn(kMergedLevelCases), RowName());

// The command line: options, each once, before the one exe.
struct ArgumentsCase {
  const char* name;
  std::vector<const wchar_t*> arguments;
  ArgumentProblem problem;
  bool json;
  bool compliance;
  const wchar_t* exe;
  const char* line;  // what the check says of the problem, on stderr; null: none
};

constexpr char kUsageLine[] =
    "usage: notremovable-check.exe [--json] [--compliance] [EXE]: tells what notremovable.exe (or the exe named) "
    "would do on this PC, and why\n";
const ArgumentsCase kArgumentsCases[] = {
    {"None", {}, ArgumentProblem::None, false, false, nullptr, nullptr},
    {"Exe", {L"C:\\x\\nr.exe"}, ArgumentProblem::None, false, false, L"C:\\x\\nr.exe", nullptr},
    {"BothOptionsThenExe", {L"--compliance", L"--JSON", L"nr.exe"}, ArgumentProblem::None, true, true, L"nr.exe", nullptr},
    {"Help", {L"--help"}, ArgumentProblem::Usage, false, false, nullptr, kUsageLine},
    {"H", {L"-h"}, ArgumentProblem::Usage, false, false, nullptr, kUsageLine},
    {"SlashQuestionMark", {L"/?"}, ArgumentProblem::Usage, false, false, nullptr, kUsageLine},
    {"HelpAfterAnOption", {L"--json", L"-H"}, ArgumentProblem::Usage, true, false, nullptr, kUsageLine},
    {"TwoExes", {L"one", L"two"}, ArgumentProblem::Usage, false, false, L"one", kUsageLine},
    {"Unknown", {L"--jsonl"}, ArgumentProblem::UnknownOption, false, false, nullptr, "notremovable-check: unknown option: --jsonl\n"},
    {"Twice", {L"--json", L"--json"}, ArgumentProblem::OptionTwice, true, false, nullptr, "notremovable-check: option given twice: --json\n"},
    {"AfterTheExe", {L"nr.exe", L"--json"}, ArgumentProblem::OptionAfterExe, false, false, L"nr.exe", "notremovable-check: option after the exe: --json\n"},
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
  if (c.line != nullptr) {
    ReportText errors;
    Latin1 codePage;
    WriteArgumentProblem(errors, codePage, parsed);
    EXPECT_EQ(errors.text_, c.line);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLine, testing::ValuesIn(kArgumentsCases), RowName());

// What the loader would make of a file: its headers as a linker lays them
// (PE32 or PE32+, two sections), changed as a row says, and the file's size.
struct LoaderCase {
  const char* name;
  std::uint16_t machine;
  std::uint16_t characteristics;
  std::uint16_t magic;
  std::uint16_t subsystem;
  std::size_t read;        // bytes of the headers read; 0: all
  std::uint64_t fileSize;  // the sections' data end at 0x3000
  PeVerdict expected;
};

constexpr std::uint16_t kExe = 0x0102, kDll = 0x2102, kPe32 = 0x10B, kPe32Plus = 0x20B, kConsole = 3, kGui = 2;
const LoaderCase kLoaderCases[] = {
    {"ConsoleExe", kMachineI386, kExe, kPe32, kConsole, 0, 0x3000, PeVerdict::ConsoleProgram},
    {"ConsoleExeWithMoreAfterIt", kMachineI386, kExe, kPe32, kConsole, 0, 0x5000, PeVerdict::ConsoleProgram},
    {"CutInItsLastSection", kMachineI386, kExe, kPe32, kConsole, 0, 0x2FFF, PeVerdict::Truncated},
    {"CutInItsSectionTable", kMachineI386, kExe, kPe32, kConsole, 200, 0x100 + 200, PeVerdict::Truncated},
    {"CutInItsFileHeader", kMachineI386, kExe, kPe32, kConsole, 10, 0x100 + 10, PeVerdict::Truncated},
    {"CutBeforeItsSignature", kMachineI386, kExe, kPe32, kConsole, 2, 0x100 + 2, PeVerdict::Truncated},
    {"HeadersReadShortOfAWholeFile", kMachineI386, kExe, kPe32, kConsole, 200, 0x3000, PeVerdict::NotAProgram},
    {"Arm64", 0xAA64, kExe, kPe32Plus, kConsole, 0, 0x3000, PeVerdict::OtherMachine},
    {"X64ForTheX86Build", kMachineAmd64, kExe, kPe32Plus, kConsole, 0, 0x3000, PeVerdict::OtherMachine},
    {"Dll", kMachineI386, kDll, kPe32, kConsole, 0, 0x3000, PeVerdict::Dll},
    {"ObjectNotAnImage", kMachineI386, 0x0100, kPe32, kConsole, 0, 0x3000, PeVerdict::NotAProgram},
    {"GuiProgram", kMachineI386, kExe, kPe32, kGui, 0, 0x3000, PeVerdict::NotConsole},
    {"RomImage", kMachineI386, kExe, 0x107, kConsole, 0, 0x3000, PeVerdict::NotAProgram},
};

void PrintTo(const LoaderCase& row, std::ostream* out) { *out << row.name; }

class Loader : public testing::TestWithParam<LoaderCase> {};

std::vector<unsigned char> PeHeaders(const LoaderCase& c) {
  const std::size_t optionalSize = c.magic == kPe32Plus ? 240 : 224;
  std::vector<unsigned char> headers(24 + optionalSize + 2 * 40, 0);
  const auto put = [&](std::size_t at, std::uint32_t value, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
      headers[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
  };
  headers[0] = 'P';
  headers[1] = 'E';
  put(4, c.machine, 2);
  put(6, 2, 2);  // sections
  put(20, static_cast<std::uint32_t>(optionalSize), 2);
  put(22, c.characteristics, 2);
  put(24, c.magic, 2);
  put(24 + 68, c.subsystem, 2);
  for (std::uint32_t i = 0; i < 2; ++i) {  // raw data at 0x1000 and 0x2000, 0x1000 each
    put(24 + optionalSize + 40 * i + 16, 0x1000, 4);
    put(24 + optionalSize + 40 * i + 20, 0x1000 * (i + 1), 4);
  }
  return headers;
}

TEST_P(Loader, JudgesTheHeadersAsTheLoaderWould) {
  const LoaderCase& c = GetParam();
  // The DOS header names where the headers lie, little-endian, at 0x3C.
  unsigned char dosHeader[kDosHeaderSize] = {'M', 'Z'};
  dosHeader[0x3C] = 0x00;
  dosHeader[0x3D] = 0x01;
  EXPECT_EQ(PeHeaderOffset(dosHeader, sizeof dosHeader), 0x100U);
  EXPECT_EQ(PeHeaderOffset(dosHeader, sizeof dosHeader - 1), 0U);
  const std::vector<unsigned char> headers = PeHeaders(c);
  const std::size_t read = c.read != 0 ? c.read : headers.size();
  EXPECT_EQ(JudgePeHeaders(headers.data(), read, 0x100, c.fileSize, kMachineI386), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Loader, testing::ValuesIn(kLoaderCases), RowName());

// What stands at the target, and why it cannot be judged; None where it can.
// Where a row names a path, the path is a device path exactly where its facts say.
struct TargetCase {
  const char* name;
  TargetFacts facts;
  CannotJudge expected;
  const wchar_t* path = nullptr;
};

const TargetCase kTargetCases[] = {
    {"PathUnusable", {true, false, false, false, false, false, false, false, PeVerdict::NotAProgram, 0}, CannotJudge::Usage},
    // Not looked at: the exe refuses by the path alone, and the check says why.
    {"NotLookedAt", {false, false, false, false, false, false, false, false, PeVerdict::NotAProgram, 0}, CannotJudge::None},
    {"Program", {false, false, true, true, false, false, true, true, PeVerdict::ConsoleProgram, 0}, CannotJudge::None,
     L"C:\\Tools\\nr.exe"},
    {"VerbatimPath", {false, false, true, true, false, false, true, true, PeVerdict::ConsoleProgram, 0},
     CannotJudge::None, L"\\\\?\\C:\\Tools\\nr.exe"},
    {"DeviceNamespaceAlone", {false, false, true, false, true, false, false, false, PeVerdict::NotAProgram, 2},
     CannotJudge::NoSuchExe, L"\\\\."},
    {"DevicePath", {false, true, true, true, false, false, true, true, PeVerdict::ConsoleProgram, 0}, CannotJudge::Device,
     L"\\\\.\\CON"},
    {"Nothing", {false, false, true, false, true, false, false, false, PeVerdict::NotAProgram, 2}, CannotJudge::NoSuchExe},
    {"AttributesDenied", {false, false, true, false, false, false, false, false, PeVerdict::NotAProgram, 5}, CannotJudge::Unreadable},
    {"Folder", {false, false, true, true, false, true, false, false, PeVerdict::NotAProgram, 0}, CannotJudge::Folder},
    {"OpenDenied", {false, false, true, true, false, false, false, false, PeVerdict::NotAProgram, 5}, CannotJudge::Unreadable},
    {"NotOnADisk", {false, false, true, true, false, false, true, false, PeVerdict::NotAProgram, 0}, CannotJudge::Device},
    {"Text", {false, false, true, true, false, false, true, true, PeVerdict::NotAProgram, 0}, CannotJudge::NotAProgram},
    {"Truncated", {false, false, true, true, false, false, true, true, PeVerdict::Truncated, 0}, CannotJudge::Truncated},
    {"OtherMachine", {false, false, true, true, false, false, true, true, PeVerdict::OtherMachine, 0}, CannotJudge::OtherMachine},
    {"Dll", {false, false, true, true, false, false, true, true, PeVerdict::Dll, 0}, CannotJudge::Dll},
    {"NotConsole", {false, false, true, true, false, false, true, true, PeVerdict::NotConsole, 0}, CannotJudge::NotConsole},
};

void PrintTo(const TargetCase& row, std::ostream* out) { *out << row.name; }

class Target : public testing::TestWithParam<TargetCase> {};

TEST_P(Target, IsJudgedOnlyWhereItWouldRunAsTheExe) {
  EXPECT_EQ(JudgeTarget(GetParam().facts), GetParam().expected);
  if (GetParam().path != nullptr) {
    EXPECT_EQ(IsDevicePath({GetParam().path, std::wcslen(GetParam().path)}), GetParam().facts.devicePath);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Target, testing::ValuesIn(kTargetCases), RowName());

}  // namespace
}  // namespace notremovable
