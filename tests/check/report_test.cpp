// The check program's wording: the escaping of text from outside, what each
// write right lets someone do, and the device summary's warnings.
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

}  // namespace
}  // namespace notremovable
