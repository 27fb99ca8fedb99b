// The check program's wording: the escaping of text from outside, each
// device's line, the device summary's warnings and notes, what each write
// right lets someone do, and the settings lines.
#include "check/report.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <ostream>
#include <string>
#include <vector>

#include "rules/trust.h"

namespace notremovable {
namespace {

Text Span(const std::string& text) { return {text.data(), text.size()}; }

// Full control, modify, and read and execute, as Windows writes them.
constexpr std::uint32_t kFull = 0x001F01FF, kModify = 0x001301BF, kReadExecute = 0x001200A9;

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
    {"UnitSeparator", "a\x1f", "a\\x1F"},
};

void PrintTo(const EscapeCase& row, std::ostream* out) { *out << row.name; }

class Escape : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escape, LeavesNoControlCharacter) {
  TextReport out;
  ReportLine(out, "device").Outside(Span(GetParam().outside));
  EXPECT_EQ(out.text_, "device: " + GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, Escape, testing::ValuesIn(kEscapeCases), RowName());

// Devices as the walk hands them over. The texts point into these: they outlive the tables.
const std::wstring kOne = L"USB\\VID_1111&PID_2222", kOneInLowerCase = L"usb\\vid_1111&pid_2222",
                   kOther = L"USB\\VID_3333&PID_4444", kOneRevision = L"USB\\VID_1111&PID_2222&REV_0100";
Text Literal(const char* text) { return {text, LengthOf(text)}; }
constexpr ContainerFacts kComputers = {true, true, false, {}}, kOwn = {true, false, false, {}}, kUnknown = {};
const ParentFacts kNoParent = {ParentRead::Unknown, {"", 0}, {"", 0}, {"", 0}};
DeviceFacts Device(IdMatch match, const std::wstring& id, Capability capability = Capability::Removable,
                   const ContainerFacts& container = kComputers, bool present = true,
                   const ParentFacts& parent = kNoParent, const char* name = "Dock") {
  return {match,     {id.data(), id.size()}, Literal(name), Literal("USB\\VID_1111&PID_2222&REV_0100"),
          present,   capability,             container,     parent};
}

// Each device's line: how the key reaches it, and what the override can change on it.
struct DeviceLineCase {
  const char* name;
  DeviceFacts device;
  std::string expected;
};

const std::string kRemovable = "; it reports itself removable, so the override decides its container: ";
const std::string kFixed = "; the override changes nothing on it: it does not report itself removable, so it takes the container of the device above it";
const DeviceLineCase kDeviceLineCases[] = {
    {"InTheComputersContainer", Device(IdMatch::MostSpecific, kOne),
     "device: \"Dock\": its most specific hardware ID" + kRemovable + "in the computer's container"},
    {"InAContainerOfItsOwn", Device(IdMatch::MostSpecific, kOne, Capability::Removable, kOwn),
     "device: \"Dock\": its most specific hardware ID" + kRemovable + "in a container of its own"},
    {"ContainerUnknown", Device(IdMatch::Compatible, kOne, Capability::Removable, kUnknown),
     "device: \"Dock\": a compatible ID of it" + kRemovable + "cannot tell"},
    {"FixedBelowAListedDevice",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::Listed, Literal("USB\\VID_1111&PID_2222\\5&1"), Literal("USB Composite Device"),
             Literal("USB\\VID_1111&PID_2222&REV_0100")},
            "HID Keyboard"),
     "device: \"HID Keyboard\": its most specific hardware ID" + kFixed +
         "; mark that one instead: \"USB Composite Device\" (USB\\VID_1111&PID_2222&REV_0100)"},
    {"FixedBelowAnUnlistedDevice",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::InstanceOnly, Literal("USB\\VID_1111&PID_2222\\5&1"), {"", 0}, {"", 0}}),
     "device: \"Dock\": its most specific hardware ID" + kFixed + "; mark that one instead: USB\\VID_1111&PID_2222\\5&1"},
    {"FixedBelowNothingReadable", Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable),
     "device: \"Dock\": its most specific hardware ID" + kFixed + ", which cannot be read"},
    {"CapabilitiesUnknown", Device(IdMatch::MostSpecific, kOne, Capability::Unknown, kOwn),
     "device: \"Dock\": its most specific hardware ID; whether the override can change it cannot be told, "
     "since its capabilities cannot be read; its container: in a container of its own"},
    {"LessSpecificNotPresent", Device(IdMatch::LessSpecific, kOne, Capability::Removable, kOwn, false),
     "device: \"Dock\" (not present now): a less specific hardware ID of it; its most specific is "
     "USB\\VID_1111&PID_2222&REV_0100" + kRemovable + "in a container of its own"},
    {"FixedBelowAListedDeviceWithoutAName",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::Listed, Literal("USB\\VID_1111&PID_2222\\5&1"), {"", 0}, Literal("USB\\VID_1111&PID_2222")}),
     "device: \"Dock\": its most specific hardware ID" + kFixed +
         "; mark that one instead: \"a device without a description\" (USB\\VID_1111&PID_2222)"},
    {"WithoutADescription", Device(IdMatch::MostSpecific, kOne, Capability::Removable, kComputers, true, kNoParent, ""),
     "device: \"a device without a description\": its most specific hardware ID" + kRemovable +
         "in the computer's container"},
    {"InstancePath", Device(IdMatch::InstancePath, kOne),
     "device: this is the instance path of \"Dock\", not a hardware ID; its hardware ID is "
     "USB\\VID_1111&PID_2222&REV_0100"},
};

void PrintTo(const DeviceLineCase& row, std::ostream* out) { *out << row.name; }

class DeviceLine : public testing::TestWithParam<DeviceLineCase> {};

TEST_P(DeviceLine, SaysWhatTheOverrideCanChange) {
  TextReport out;
  WriteDeviceLine(out, GetParam().device);
  EXPECT_EQ(out.text_, GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, DeviceLine, testing::ValuesIn(kDeviceLineCases), RowName());

// The devices the key reaches, and what the summary warns and notes of.
struct SummaryCase {
  const char* name;
  std::vector<DeviceFacts> devices;
  std::string expected;
};

const std::string kEvery = "warning: the override applies to every device with this ID, not to one device: 2 here\n";
const std::string kOneDevice = "devices: 1 device has this ID\n";

const SummaryCase kSummaryCases[] = {
    {"None", {}, "devices: no device has this ID\n"},
    {"OneDevice", {Device(IdMatch::MostSpecific, kOne)}, kOneDevice},
    {"TwoOfOneKind", {Device(IdMatch::MostSpecific, kOne), Device(IdMatch::LessSpecific, kOneInLowerCase)},
     "devices: 2 devices have this ID\n"},
    {"TwoKinds", {Device(IdMatch::LessSpecific, kOne), Device(IdMatch::LessSpecific, kOther)},
     "devices: 2 devices have this ID\n" + kEvery},
    {"MostSpecificIsAPrefixOfAnother", {Device(IdMatch::MostSpecific, kOne), Device(IdMatch::MostSpecific, kOneRevision)},
     "devices: 2 devices have this ID\n" + kEvery},
    {"Compatible", {Device(IdMatch::Compatible, kOne, Capability::Unknown, kUnknown)},
     kOneDevice + "warning: the override applies to every device with this ID, not to one device: 1 here\n"},
    {"InAContainerOfItsOwn", {Device(IdMatch::MostSpecific, kOne, Capability::Removable, kOwn)},
     kOneDevice + "note: Windows applies the override when it next sets the device up: restart (with Fast "
     "Startup, Shut down and power on is not enough) or replug it; if it stays in a container of its own after "
     "that, its bus supplies its container, which the override does not change\n"},
    {"FixedInAContainerOfItsOwn", {Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kOwn)}, kOneDevice},
    {"CapabilitiesUnknownInAContainerOfItsOwn", {Device(IdMatch::MostSpecific, kOne, Capability::Unknown, kOwn)},
     kOneDevice},
    {"NotPresent", {Device(IdMatch::MostSpecific, kOne, Capability::Removable, kComputers, false)},
     kOneDevice + "note: a device not present now keeps the container it had when it was last set up; the "
     "override applies when it is next connected\n"},
    {"BesideAnInstancePath", {Device(IdMatch::InstancePath, kOther), Device(IdMatch::MostSpecific, kOne)}, kOneDevice},
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

// Each right: whether it changes the object, and what the check program says
// it lets someone do to a file and to a folder (null: nothing).
struct RightCase {
  const char* name;
  std::uint32_t mask;
  const char* onFile;
  const char* onFolder;
};

const RightCase kRightCases[] = {
    {"WriteDataOrAddFile", 0x2, "write", "add files to"},
    {"AppendDataOrAddFolder", 0x4, "append to", "add folders to"},
    {"WriteExtendedAttributes", 0x10, "change the extended attributes of",
     "change the extended attributes of"},
    {"DeleteChild", 0x40, "delete", "delete what is in"},
    {"WriteAttributes", 0x100, "change the attributes of", "change the attributes of"},
    {"Delete", 0x10000, "delete or rename", "delete or rename"},
    {"WriteDac", 0x40000, "change the permissions of", "change the permissions of"},
    {"WriteOwner", 0x80000, "take the ownership of", "take the ownership of"},
    {"MaximumAllowed", 0x02000000, "do anything to", "do anything to"},
    {"GenericAll", 0x10000000, "do anything to", "do anything to"},
    {"GenericWrite", 0x40000000, "write", "add files and folders to"},
    {"FullControl", kFull, "do anything to", "do anything to"},
    {"Modify", kModify, "write", "add files to"},
    {"ReadData", 0x1, nullptr, nullptr},
    {"ReadExtendedAttributes", 0x8, nullptr, nullptr},
    {"ExecuteOrTraverse", 0x20, nullptr, nullptr},
    {"ReadAttributes", 0x80, nullptr, nullptr},
    {"ReadControl", 0x20000, nullptr, nullptr},
    {"Synchronize", 0x100000, nullptr, nullptr},
    {"SystemSecurity", 0x01000000, nullptr, nullptr},
    {"GenericExecute", 0x20000000, nullptr, nullptr},
    {"GenericRead", 0x80000000, nullptr, nullptr},
    {"ReadAndExecute", kReadExecute, nullptr, nullptr},
};

void PrintTo(const RightCase& row, std::ostream* out) { *out << row.name; }

class Right : public testing::TestWithParam<RightCase> {};

std::string Text(const char* text) { return text != nullptr ? text : "(none)"; }

TEST_P(Right, CountsAsWritingOnlyWhenItChangesTheObject) {
  const RightCase& c = GetParam();
  EXPECT_EQ(GrantsWriteRight(c.mask), c.onFile != nullptr);
  EXPECT_EQ(Text(WriteRightPhrase(c.mask, false)), Text(c.onFile));
  EXPECT_EQ(Text(WriteRightPhrase(c.mask, true)), Text(c.onFolder));
}

INSTANTIATE_TEST_SUITE_P(Table, Right, testing::ValuesIn(kRightCases), RowName());

// The settings lines and the verdict, on what the reader found: each row lays
// its findings over trusted ones and names a line the report must hold.
struct SettingsLineCase {
  const char* name;
  Refusal refusal;
  void (*lay)(SettingsFindings& findings, SettingsReport& report);
  std::string expected;
};

TrustFinding Judged(TrustVerdict verdict) {
  TrustFinding finding = {};
  finding.verdict = verdict;
  return finding;
}

const SettingsLineCase kSettingsLineCases[] = {
    {"ValueOverTheBound", Refusal::ValueTooLong,
     [](SettingsFindings& f, SettingsReport&) { LayIntoField(std::string(300, 'A'), f.value); },
     "value: \"" + std::string(300, 'A') + "\" (300 characters)"},
    {"TrustedOnlyForTheAccount", Refusal::None,
     [](SettingsFindings&, SettingsReport& r) { r.folder.trustedOnlyForAccount = true; },
     "warning: C:\\Tools\\ is trusted only because it belongs to PC\\admin, who runs this check: run as SYSTEM, "
     "the exe would refuse it"},
    {"TooLarge", Refusal::SettingsTooLarge, [](SettingsFindings& f, SettingsReport&) { f.fileSize = 5000000000U; },
     "settings file: C:\\Tools\\nr.ini: present, but it holds 5000000000 bytes, more than the 16 MiB a settings "
     "file may hold, so it is not read"},
    {"PlaceUnknown", Refusal::SettingsPlaceUnknown, [](SettingsFindings& f, SettingsReport&) { f.error = 5; },
     "settings file: C:\\Tools\\nr.ini: present, but where it really lies cannot be told: Access is denied (error 5)"},
    {"ReadFailed", Refusal::SettingsReadFailed, [](SettingsFindings& f, SettingsReport&) { f.error = 8; },
     "verdict: would do nothing: the profile reader could not read the settings file (status 0)"},
    {"ReadFailedWithItsMessage", Refusal::SettingsReadFailed, [](SettingsFindings& f, SettingsReport&) { f.error = 8; },
     "settings file: C:\\Tools\\nr.ini: present, but the profile reader could not read it: Access is denied (error 8)"},
    {"ElsewhereAtAPathTooLong", Refusal::SettingsElsewhere, [](SettingsFindings&, SettingsReport&) {},
     "settings file: C:\\Tools\\nr.ini: present, but it really lies at a path too long to be read"},
    {"ElsewhereOnlyInCase", Refusal::SettingsElsewhere,
     [](SettingsFindings& f, SettingsReport& r) {
       LayIntoField("\\\\?\\C:\\Tools\\N\xC9.ini", f.realPath);
       r.settingsPlaceDiffersInCase = true;
     },
     "settings file: C:\\Tools\\nr.ini: present, but where it really lies, \\\\?\\C:\\Tools\\N\xC9.ini, differs from "
     "its name only in the case of letters outside ASCII, which the exe compares exactly: write the name as it "
     "stands on disk"},
    {"ExePlaceUnknown", Refusal::None,
     [](SettingsFindings& f, SettingsReport&) {
       f.exePlace = Whereabouts::Unknown;
       f.exeError = 5;
     },
     "exe: where it really lies cannot be told: Access is denied (error 5); it is judged where it was named"},
};

void PrintTo(const SettingsLineCase& row, std::ostream* out) { *out << row.name; }

class SettingsLine : public testing::TestWithParam<SettingsLineCase> {};

TEST_P(SettingsLine, TellsWhatTheReaderFound) {
  static SettingsFindings findings;
  findings = {};
  LayIntoField("C:\\Tools\\", findings.folderPath);
  LayIntoField("C:\\Tools\\nr.ini", findings.settingsPath);
  LayIntoField("USB\\VID_1111&PID_2222", findings.value);
  findings.file = SettingsFile::Present;
  findings.folder = findings.exe = findings.settings = Judged(TrustVerdict::Trusted);
  SettingsReport report = {GetParam().refusal, &findings, "C:\\Tools\\nr.exe", "PC\\admin", "Access is denied",
                           "Access is denied", false, false,
                           {&findings.folder, findings.folderPath, true, "", false},
                           {&findings.realFolder, findings.realFolderPath, true, "", false},
                           {&findings.exe, "C:\\Tools\\nr.exe", false, "", false},
                           {&findings.settings, findings.settingsPath, false, "", false}};
  GetParam().lay(findings, report);
  TextReport out;
  WriteSettingsLines(out, report);
  WriteVerdict(out, report, nullptr);
  EXPECT_NE(out.text_.find(GetParam().expected + "\n"), std::string::npos) << out.text_;
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsLine, testing::ValuesIn(kSettingsLineCases), RowName());

}  // namespace
}  // namespace notremovable
