// The check program's logic: how a device's ID lists match an ID as Windows
// matches an override, Windows' own key for an ID, whether the override is in
// effect, the escaping of text from outside, and the warnings.
#include "check_report.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <ostream>
#include <string>
#include <vector>

#include "override_key.h"

namespace notremovable {
namespace {

TextSpan Span(const std::string& text) { return {text.data(), text.size()}; }

// ID lists as SetupAPI gives them: REG_MULTI_SZ ("A\0B\0\0") or REG_SZ ("A\0").
struct MatchCase {
  const char* name;
  std::string hardware;
  std::string compatible;
  std::string instancePath;
  std::string id;
  IdMatch expected;
};

const std::string kDock("USB\\VID_1111&PID_2222&REV_0100\0USB\\VID_1111&PID_2222\0\0", 54);
const std::string kStorage("USB\\Class_08&SubClass_06&Prot_50\0USB\\Class_08\0\0", 47);

const MatchCase kMatchCases[] = {
    {"MostSpecific", kDock, kStorage, "", "USB\\VID_1111&PID_2222&REV_0100", IdMatch::MostSpecific},
    {"LessSpecific", kDock, kStorage, "", "USB\\VID_1111&PID_2222", IdMatch::LessSpecific},
    {"Compatible", kDock, kStorage, "", "USB\\Class_08&SubClass_06&Prot_50", IdMatch::Compatible},
    {"None", kDock, kStorage, "", "USB\\VID_1111&PID_2223", IdMatch::None},
    {"PrefixOfAnId", kDock, kStorage, "", "USB\\VID_1111", IdMatch::None},
    {"OtherAsciiCase", kDock, kStorage, "", "usb\\vid_1111&pid_2222&rev_0100", IdMatch::MostSpecific},
    {"DottedAndDotlessI", std::string("USB\\\xDD\0\0", 7), "", "", "USB\\i", IdMatch::None},
    {"SingleString", std::string("USB\\VID_1111&PID_2222\0", 22), "", "", "USB\\VID_1111&PID_2222",
     IdMatch::MostSpecific},
    {"UnterminatedList", "USB\\VID_1111&PID_2222", "", "", "USB\\VID_1111&PID_2222", IdMatch::MostSpecific},
    {"EmptyLists", "", "", "", "USB\\VID_1111&PID_2222", IdMatch::None},
    {"EmptyId", kDock, kStorage, "", "", IdMatch::None},
    // Wine lists a device's instance path first among its IDs; Windows does not.
    {"InstancePathSkipped", std::string("HID\\VID_845E&PID_0001\\0&0000&0&0\0HID\\VID_845E&PID_0001\0\0", 56),
     "", "HID\\VID_845E&PID_0001\\0&0000&0&0", "HID\\VID_845E&PID_0001", IdMatch::MostSpecific},
};

void PrintTo(const MatchCase& row, std::ostream* out) { *out << row.name; }

class Match : public testing::TestWithParam<MatchCase> {};

TEST_P(Match, IsHowWindowsFindsTheOverride) {
  const MatchCase& c = GetParam();
  const DeviceIds ids = {Span(c.hardware), Span(c.compatible), Span(c.instancePath)};
  EXPECT_EQ(MatchDeviceIds(ids, Span(c.id)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Match, testing::ValuesIn(kMatchCases), RowName());

// The key Windows reads an override from for an ID, against the exe's key.
struct WindowsKeyCase {
  const char* name;
  std::string id;
  std::string expectedLevel;  // between DeviceOverrides\ and \LocationPaths\*
  bool sameAsExe;
};

const WindowsKeyCase kWindowsKeyCases[] = {
    {"ThreeLetters", "USB\\VID_0DB0&PID_A871", "USB#VID_0DB0&PID_A871", true},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", "HDAUDIO#FUNC_01&VEN_ABCD", false},
    {"FurtherBackslash", "USB\\VID_0DB0&PID_A871\\5&2F3B1C&0&2", "USB#VID_0DB0&PID_A871#5&2F3B1C&0&2", false},
    {"NoBackslash", "USB_VID_0DB0&PID_A871", "USB_VID_0DB0&PID_A871", false},
};

void PrintTo(const WindowsKeyCase& row, std::ostream* out) { *out << row.name; }

class WindowsKey : public testing::TestWithParam<WindowsKeyCase> {};

TEST_P(WindowsKey, HasEveryBackslashAsHash) {
  const WindowsKeyCase& c = GetParam();
  char deviceId[kDeviceIdFieldSize];
  LayIntoField(c.id, deviceId);
  char windowsKey[kOverrideKeyPathFieldSize];
  char exeKey[kOverrideKeyPathFieldSize];
  ComposeWindowsOverrideKeyPath(deviceId, windowsKey);
  ComposeOverrideKeyPath(deviceId, exeKey);
  EXPECT_EQ(std::string(windowsKey), "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\" +
                                         c.expectedLevel + "\\LocationPaths\\*");
  EXPECT_EQ(std::string(windowsKey) == exeKey, c.sameAsExe);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsKey, testing::ValuesIn(kWindowsKeyCases), RowName());

// The computer's own container, {00000000-0000-0000-FFFF-FFFFFFFFFFFF}, and another.
constexpr ContainerFacts kComputerId = {false, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
constexpr ContainerFacts kOtherId = {false, false, true, {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};

struct EffectCase {
  const char* name;
  ContainerFacts container;
  OverrideEffect expected;
};

const EffectCase kEffectCases[] = {
    {"InLocalMachineContainer", {true, true, false, {}}, OverrideEffect::InEffect},
    {"NotInLocalMachineContainer", {true, false, false, {}}, OverrideEffect::NotYet},
    {"FlagBeforeContainerId", {true, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
     OverrideEffect::NotYet},
    {"ComputersContainerId", kComputerId, OverrideEffect::InEffect},
    {"OtherContainerId", kOtherId, OverrideEffect::NotYet},
    {"NoProperty", {false, false, false, {}}, OverrideEffect::CannotTell},
};

void PrintTo(const EffectCase& row, std::ostream* out) { *out << row.name; }

class Effect : public testing::TestWithParam<EffectCase> {};

TEST_P(Effect, FollowsTheComputersContainer) {
  EXPECT_EQ(JudgeOverrideEffect(GetParam().container), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Effect, testing::ValuesIn(kEffectCases), RowName());

// The report as text.
class TextReport final : public ReportOut {
 public:
  void Write(const char* text, std::size_t length) override { text_.append(text, length); }
  std::string text_;
};

struct EscapeCase {
  const char* name;
  std::string outside;
  std::string expected;
};

const EscapeCase kEscapeCases[] = {
    {"LineBreaks", "a\r\nverdict: x", "a\\x0D\\x0Averdict: x"},
    {"Escape", "\x1b[31mred", "\\x1B[31mred"},
    {"Delete", "a\x7f", "a\\x7F"},
    {"Backslash", "C:\\Tools\\", "C:\\Tools\\"},
    {"AboveAscii", "Caf\xe9", "Caf\xe9"},
    {"ZeroInside", std::string("a\0b", 3), "a\\x00b"},
};

void PrintTo(const EscapeCase& row, std::ostream* out) { *out << row.name; }

class Escape : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escape, LeavesNoControlCharacter) {
  TextReport out;
  ReportLine(out, "device").Outside(Span(GetParam().outside));
  EXPECT_EQ(out.text_, "device: " + GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, Escape, testing::ValuesIn(kEscapeCases), RowName());

// The devices that have the ID, and what the summary warns of.
struct SummaryCase {
  const char* name;
  std::vector<DeviceFacts> devices;
  std::string expected;
};

// The spans point into these: they outlive the table.
const std::string kOne = "USB\\VID_1111&PID_2222", kOneInLowerCase = "usb\\vid_1111&pid_2222",
                  kOther = "USB\\VID_3333&PID_4444";
DeviceFacts Device(IdMatch match, const std::string& mostSpecific, OverrideEffect effect) {
  return {Span("Dock"), true, match, Span(mostSpecific), effect};
}
const std::string kEvery = "warning: the override applies to every device with this ID, not to one device: 2 here\n";

const SummaryCase kSummaryCases[] = {
    {"None", {}, "devices: no device has this ID\n"},
    {"OneDevice", {Device(IdMatch::MostSpecific, kOne, OverrideEffect::InEffect)}, "devices: 1 device has this ID\n"},
    {"TwoOfOneKind",
     {Device(IdMatch::MostSpecific, kOne, OverrideEffect::InEffect),
      Device(IdMatch::LessSpecific, kOneInLowerCase, OverrideEffect::InEffect)},
     "devices: 2 devices have this ID\n"},
    {"TwoKinds",
     {Device(IdMatch::LessSpecific, kOne, OverrideEffect::InEffect),
      Device(IdMatch::LessSpecific, kOther, OverrideEffect::InEffect)},
     "devices: 2 devices have this ID\n" + kEvery},
    {"Compatible", {Device(IdMatch::Compatible, kOne, OverrideEffect::CannotTell)},
     "devices: 1 device has this ID\n"
     "warning: the override applies to every device with this ID, not to one device: 1 here\n"},
    {"NotYet", {Device(IdMatch::MostSpecific, kOne, OverrideEffect::NotYet)},
     "devices: 1 device has this ID\nnote: not in effect yet: Windows applies the override when it "
     "next sets the device up (replug it, or restart); if it stays so after that, the device's bus "
     "gives it a container of its own, which the override does not change\n"},
};

void PrintTo(const SummaryCase& row, std::ostream* out) { *out << row.name; }

class Summary : public testing::TestWithParam<SummaryCase> {};

TEST_P(Summary, WarnsWhereTheOverrideReachesOtherDevices) {
  DeviceTally tally = {};
  tally.listed = true;
  for (const DeviceFacts& device : GetParam().devices) {
    CountDevice(tally, device);
  }
  TextReport out;
  WriteDeviceSummary(out, tally);
  EXPECT_EQ(out.text_, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Summary, testing::ValuesIn(kSummaryCases), RowName());

}  // namespace
}  // namespace notremovable
