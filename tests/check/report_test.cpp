// The check program's wording: the escaping of text from outside, each
// device's line, the device summary's warnings and notes, what each write
// right lets someone do, and the settings lines.
#include "check/json_report.h"
#include "check/text_report.h"
#include "check/verdict.h"

#include <gtest/gtest.h>

#include "table_rows.h"
#include "check/report_fakes.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "rules/trust.h"

namespace notremovable {
namespace {

Text Span(const std::string& text) { return {text.data(), text.size()}; }

// Full control, modify, and read and execute, as Windows writes them.
constexpr std::uint32_t kFull = 0x001F01FF, kModify = 0x001301BF, kReadExecute = 0x001200A9;

struct EscapeCase {
  const char* name;
  std::string outside;
  std::string expected;
  std::wstring wide;  // where not empty, the text from outside in UTF-16 instead
};

const EscapeCase kEscapeCases[] = {
    {"LineBreaks", "a\r\nverdict: x", "a\\x0D\\x0Averdict: x", L""},
    {"Escape", "\x1b[31mred", "\\x1B[31mred", L""},
    {"Delete", "a\x7f", "a\\x7F", L""},
    {"Backslash", "C:\\Tools\\", "C:\\Tools\\", L""},
    {"AboveAscii", "Caf\xe9", "Caf\xe9", L""},
    {"ZeroInside", std::string("a\0b", 3), "a\\x00b", L""},
    {"UnitSeparator", "a\x1f", "a\\x1F", L""},
    // Every \x in a line is an escape, and a quote never ends a quoted name.
    {"BackslashBeforeX", "C:\\x1\\", "C:\\x5Cx1\\", L""},
    {"BackslashXAtTheEnd", "C:\\x", "C:\\x5Cx", L""},
    {"Quote", "Say \"hi\"", "Say \\x22hi\\x22", L""},
    // In UTF-16, C1 controls as C0 ones, before the code page could show them.
    {"WideNextLine", "", "a\\x85b", L"a\x85" L"b"},
    {"WideC1Bounds", "", "\\x80\\x9F\xa0", L"\x80\x9f\xa0"},
    {"WideC0AndBackslashBeforeC1", "", "\\x1B\\\\x9B", L"\x1b\\\x9b"},
};

void PrintTo(const EscapeCase& row, std::ostream* out) { *out << row.name; }

class Escape : public testing::TestWithParam<EscapeCase> {};

TEST_P(Escape, LeavesNoControlCharacter) {
  ReportText out;
  Latin1 codePage;
  const std::wstring& wide = GetParam().wide;
  WriteLine(out, codePage,
            {Row::Judging, {wide.empty() ? Outside(Span(GetParam().outside)) : Outside(WideText{wide.data(), wide.size()})}});
  EXPECT_EQ(out.text_, "judging: " + GetParam().expected + "\n");
}

INSTANTIATE_TEST_SUITE_P(Table, Escape, testing::ValuesIn(kEscapeCases), RowName());

// JSON strings: UTF-16 in printable ASCII, everything else escaped.
struct JsonEscapeCase {
  std::string name;
  std::wstring outside;
  std::string expected;  // the JSON string, quotes included
};

std::vector<JsonEscapeCase> JsonEscapeRows() {
  std::vector<JsonEscapeCase> rows = {
      {"Quote", L"say \"hi\"", "\"say \\\"hi\\\"\""},
      {"Backslash", L"C:\\x1\\", "\"C:\\\\x1\\\\\""},
      {"Delete", L"a\x7f", "\"a\\u007f\""},
      {"LatinLetter", L"Caf\xe9", "\"Caf\\u00e9\""},
      {"Euro", L"\x20ac", "\"\\u20ac\""},
      {"Cjk", L"\x8a2d\x5099", "\"\\u8a2d\\u5099\""},
      {"EmojiAsTwoEscapes", L"\xd83d\xde00", "\"\\ud83d\\ude00\""},
      {"LoneHighSurrogate", L"a\xd800" L"b", "\"a\\ufffdb\""},
      {"LoneLowSurrogate", L"\xdc00", "\"\\ufffd\""},
      {"HighBeforeHigh", L"\xd800\xd83d\xde00", "\"\\ufffd\\ud83d\\ude00\""},
      // The pairs at the ranges' edges, and a lone one at the low range's end.
      {"FirstPair", L"\xd800\xdc00", "\"\\ud800\\udc00\""},
      {"LastPair", L"\xdbff\xdfff", "\"\\udbff\\udfff\""},
      {"LoneLastLow", L"\xdfff", "\"\\ufffd\""},
      // Where many readers end a line.
      {"NextLine", L"a\x85" L"b", "\"a\\u0085b\""},
      {"LineSeparator", L"\x2028", "\"\\u2028\""},
      {"ParagraphSeparator", L"\x2029", "\"\\u2029\""},
      {"ByteOrderMark", L"\xfeff", "\"\\ufeff\""},
      {"PrintableAsciiAsItIs", L" ~", "\" ~\""},
  };
  // Every control character: the short escapes where JSON has them, else \u00XX.
  static const char* const kShort[] = {"\\b", "\\t", "\\n", nullptr, "\\f", "\\r"};
  static constexpr char kHex[] = "0123456789abcdef";
  for (unsigned c = 0; c < 0x20; ++c) {
    const char* const shortEscape = c >= 8 && c <= 13 ? kShort[c - 8] : nullptr;
    const std::string escaped = shortEscape != nullptr ? shortEscape : std::string("\\u00") + kHex[c >> 4U] + kHex[c & 0xFU];
    rows.push_back({"Control" + std::to_string(c), std::wstring(1, static_cast<wchar_t>(c)), "\"" + escaped + "\""});
  }
  return rows;
}

void PrintTo(const JsonEscapeCase& row, std::ostream* out) { *out << row.name; }

class JsonEscape : public testing::TestWithParam<JsonEscapeCase> {};

TEST_P(JsonEscape, IsPrintableAsciiWithEverythingElseEscaped) {
  char field[256];
  JsonOut json(field, sizeof field, nullptr);
  json.String(WideText{GetParam().outside.data(), GetParam().outside.size()});
  ASSERT_FALSE(json.Overflowed());
  EXPECT_EQ(std::string(field, json.Length()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, JsonEscape, testing::ValuesIn(JsonEscapeRows()), RowName());

// Devices as the walk hands them over. The texts point into these: they outlive the tables.
const std::wstring kOne = L"USB\\VID_1111&PID_2222", kOneInLowerCase = L"usb\\vid_1111&pid_2222",
                   kOther = L"USB\\VID_3333&PID_4444", kOneRevision = L"USB\\VID_1111&PID_2222&REV_0100";
WideText Literal(const wchar_t* text) { return {text, LengthOf(text)}; }
constexpr ContainerFacts kComputers = {true, true, false, {}}, kOwn = {true, false, false, {}}, kUnknown = {};
const ParentFacts kNoParent = {ParentRead::Unknown, {L"", 0}, {L"", 0}, {L"", 0}};
DeviceFacts Device(IdMatch match, const std::wstring& id, Capability capability = Capability::Removable,
                   const ContainerFacts& container = kComputers, bool present = true,
                   const ParentFacts& parent = kNoParent, const wchar_t* name = L"Dock") {
  return {match,   Literal(L"USB\\VID_1111&PID_2222\\5&1"), {id.data(), id.size()}, Literal(name),
          present, capability, container, parent};
}

// Each device's line: how the key reaches it, and what the override can change
// on it; and its JSON object, from its match on.
struct DeviceLineCase {
  const char* name;
  DeviceFacts device;
  std::string expected;
  std::string json;
};

const std::wstring kLongName(1025, L'n');
const std::string kRemovable = "; it reports itself removable, so the override decides its container: ";
const std::string kFixed = "; the override changes nothing on it: it does not report itself removable, so it takes the container of the device above it";
const DeviceLineCase kDeviceLineCases[] = {
    {"InTheComputersContainer", Device(IdMatch::MostSpecific, kOne),
     "device: \"Dock\": its most specific hardware ID" + kRemovable + "in the computer's container",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":true,"override_changes":true,"container":"computer","pending":false,"mark_instead":null})"},
    {"InAContainerOfItsOwn", Device(IdMatch::MostSpecific, kOne, Capability::Removable, kOwn),
     "device: \"Dock\": its most specific hardware ID" + kRemovable + "in a container of its own",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":true,"override_changes":true,"container":"own","pending":true,"mark_instead":null})"},
    {"ContainerUnknown", Device(IdMatch::Compatible, kOne, Capability::Removable, kUnknown),
     "device: \"Dock\": a compatible ID of it" + kRemovable + "cannot tell",
     R"("match":"compatible","most_specific":false,"id":"USB\\VID_1111&PID_2222","present":true,"removable":true,"override_changes":true,"container":"cannot_tell","pending":false,"mark_instead":null})"},
    {"FixedBelowAListedDevice",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::Listed, Literal(L"USB\\VID_1111&PID_2222\\5&1"), Literal(L"USB Composite Device"),
             Literal(L"USB\\VID_1111&PID_2222&REV_0100")},
            L"HID Keyboard"),
     "device: \"HID Keyboard\": its most specific hardware ID" + kFixed +
         "; mark that one instead: \"USB Composite Device\" (USB\\VID_1111&PID_2222&REV_0100)",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":false,"override_changes":false,"container":"computer","pending":false,"mark_instead":{"instance":"USB\\VID_1111&PID_2222\\5&1","name":"USB Composite Device","id":"USB\\VID_1111&PID_2222&REV_0100"}})"},
    {"FixedBelowAnUnlistedDevice",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::InstanceOnly, Literal(L"USB\\VID_1111&PID_2222\\5&1"), {L"", 0}, {L"", 0}}),
     "device: \"Dock\": its most specific hardware ID" + kFixed + "; mark that one instead: USB\\VID_1111&PID_2222\\5&1",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":false,"override_changes":false,"container":"computer","pending":false,"mark_instead":{"instance":"USB\\VID_1111&PID_2222\\5&1"}})"},
    {"FixedBelowNothingReadable", Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable),
     "device: \"Dock\": its most specific hardware ID" + kFixed + ", which cannot be read",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":false,"override_changes":false,"container":"computer","pending":false,"mark_instead":null})"},
    {"CapabilitiesUnknown", Device(IdMatch::MostSpecific, kOne, Capability::Unknown, kOwn),
     "device: \"Dock\": its most specific hardware ID; whether the override can change it cannot be told, "
     "since its capabilities cannot be read; its container: in a container of its own",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":null,"override_changes":null,"container":"own","pending":false,"mark_instead":null})"},
    {"LessSpecificNotPresent", Device(IdMatch::LessSpecific, kOneRevision, Capability::Removable, kOwn, false),
     "device: \"Dock\" (not present now): a less specific hardware ID of it; its most specific is "
     "USB\\VID_1111&PID_2222&REV_0100" + kRemovable + "in a container of its own",
     R"("match":"hardware","most_specific":false,"id":"USB\\VID_1111&PID_2222&REV_0100","present":false,"removable":true,"override_changes":true,"container":"own","pending":false,"mark_instead":null})"},
    {"FixedBelowAListedDeviceWithoutAName",
     Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
            {ParentRead::Listed, Literal(L"USB\\VID_1111&PID_2222\\5&1"), {L"", 0}, Literal(L"USB\\VID_1111&PID_2222")}),
     "device: \"Dock\": its most specific hardware ID" + kFixed +
         "; mark that one instead: a device without a description (USB\\VID_1111&PID_2222)",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":false,"override_changes":false,"container":"computer","pending":false,"mark_instead":{"instance":"USB\\VID_1111&PID_2222\\5&1","name":null,"id":"USB\\VID_1111&PID_2222"}})"},
    {"WithoutADescription", Device(IdMatch::MostSpecific, kOne, Capability::Removable, kComputers, true, kNoParent, L""),
     "device: a device without a description: its most specific hardware ID" + kRemovable +
         "in the computer's container",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":true,"override_changes":true,"container":"computer","pending":false,"mark_instead":null})"},
    // What stands for a name stands outside the quotes, where it cannot pass for one.
    {"NameTooLongToShow",
     Device(IdMatch::MostSpecific, kOne, Capability::Removable, kComputers, true, kNoParent, kLongName.c_str()),
     "device: (a text too long to show): its most specific hardware ID" + kRemovable + "in the computer's container",
     R"("match":"hardware","most_specific":true,"id":"USB\\VID_1111&PID_2222","present":true,"removable":true,"override_changes":true,"container":"computer","pending":false,"mark_instead":null})"},
    {"InstancePath", Device(IdMatch::InstancePath, kOneRevision),
     "device: this is the instance path of \"Dock\", not a hardware ID; its hardware ID is "
     "USB\\VID_1111&PID_2222&REV_0100",
     R"("match":"instance_path","most_specific":false,"id":"USB\\VID_1111&PID_2222&REV_0100","present":true,"removable":true,"override_changes":true,"container":"computer","pending":false,"mark_instead":null})"},
};

void PrintTo(const DeviceLineCase& row, std::ostream* out) { *out << row.name; }

class DeviceLine : public testing::TestWithParam<DeviceLineCase> {};

TEST_P(DeviceLine, SaysWhatTheOverrideCanChange) {
  ReportText out;
  Latin1 codePage;
  WriteDeviceLine(out, codePage, GetParam().device, JudgeDevice(GetParam().device));
  EXPECT_EQ(out.text_, GetParam().expected + "\n");
}

TEST_P(DeviceLine, IsWordedAlikeInJson) {
  static Findings findings;
  findings = {};
  findings.devices.listed = true;
  CountDevice(findings.devices, GetParam().device);
  Keep(findings.deviceStore, GetParam().device);
  static JsonFields fields;
  ReportText out;
  Latin1 codePage;
  JsonReport(out, codePage, 0, fields).Render(findings, Decide(findings));
  const std::size_t from = out.text_.find("\"match\":");
  const std::size_t to = out.text_.find("}],\"devices_not_listed\"");
  ASSERT_NE(to, std::string::npos) << out.text_;
  EXPECT_EQ(out.text_.substr(from, to + 1 - from), GetParam().json);
  // The summary counts the one device listed, whatever its match.
  EXPECT_NE(out.text_.find("\"devices_listed\":true,\"devices\":1,"), std::string::npos) << out.text_;
  // Each warning and note the verdict holds, in its list; no other.
  const Verdict verdict = Decide(findings);
  const auto list = [&](const std::string& key) {
    const std::size_t start = out.text_.find("\"" + key + "\":[");
    return out.text_.substr(start, out.text_.find(']', start) - start);
  };
  for (std::size_t i = 0; i < kNoticeCount; ++i) {
    const auto notice = static_cast<Notice>(i);
    const std::string code = std::string("\"") + RowOf(NoticeRow(notice)).code + "\"";
    EXPECT_EQ(list(IsNote(notice) ? "notes" : "warnings").find(code) != std::string::npos, verdict.notices[i])
        << code << " in " << out.text_;
  }
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
  // The devices are walked where the exe would mark.
  static char deviceId[kDeviceIdFieldSize] = "USB\\VID_1111&PID_2222";
  static Findings findings;
  findings = {};
  findings.deviceId = &deviceId;
  findings.devices.listed = true;
  for (const DeviceFacts& device : GetParam().devices) {
    CountDevice(findings.devices, device);
  }
  ReportText out;
  Latin1 codePage;
  WriteDeviceSummary(out, codePage, findings, Decide(findings));
  EXPECT_EQ(out.text_, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Summary, testing::ValuesIn(kSummaryCases), RowName());

// Whether a text is one JSON value (RFC 8259), read strictly, and nothing
// else; and the enumerations ("enum" arrays) in it, by their paths of names
// and indexes ("properties/windows/enum"), each scalar as its text.
class JsonReader {
 public:
  explicit JsonReader(std::string text) : text_(std::move(text)) {}
  bool IsOneValue() {
    at_ = 0;
    std::string scalar;
    const bool value = Value("", 0, scalar);
    Space();
    return value && at_ == text_.size();
  }
  std::set<std::string> Enum(const std::string& path) const {
    const auto found = enums_.find(path);
    return found != enums_.end() ? found->second : std::set<std::string>{"(no enumeration at " + path + ")"};
  }

 private:
  void Space() {
    while (at_ < text_.size() && std::string(" \t\r\n").find(text_[at_]) != std::string::npos) {
      ++at_;
    }
  }
  bool Take(char c) {
    Space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Word(const std::string& word, std::string& scalar) {
    if (text_.compare(at_, word.size(), word) != 0) {
      return false;
    }
    at_ += word.size();
    scalar = word;
    return true;
  }
  bool String(std::string& content) {
    content.clear();
    if (!Take('"')) {
      return false;
    }
    while (at_ < text_.size() && text_[at_] != '"') {
      const auto c = static_cast<unsigned char>(text_[at_++]);
      if (c < 0x20) {
        return false;
      }
      if (c == '\\') {
        if (at_ >= text_.size() || std::string("\"\\/bfnrtu").find(text_[at_]) == std::string::npos) {
          return false;
        }
        const std::size_t hex = text_[at_] == 'u' ? 4 : 0;
        content += text_[at_++];
        for (std::size_t i = 0; i < hex; ++i, ++at_) {
          if (at_ >= text_.size() || std::isxdigit(static_cast<unsigned char>(text_[at_])) == 0) {
            return false;
          }
        }
      } else {
        content += static_cast<char>(c);
      }
    }
    return Take('"');
  }
  bool Value(const std::string& path, int depth, std::string& scalar) {
    Space();
    if (at_ >= text_.size() || depth > 64) {
      return false;
    }
    const char c = text_[at_];
    if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++at_;
      std::set<std::string> scalars;
      std::size_t index = 0;
      if (!Take(close)) {
        do {
          std::string name = std::to_string(index++);
          if (c == '{' && (!String(name) || !Take(':'))) {
            return false;
          }
          std::string item;
          if (!Value(path.empty() ? name : path + "/" + name, depth + 1, item)) {
            return false;
          }
          scalars.insert(item);
        } while (Take(','));
        if (!Take(close)) {
          return false;
        }
      }
      if (c == '[' && path.size() >= 4 && path.compare(path.size() - 4, 4, "enum") == 0) {
        enums_[path] = scalars;
      }
      return true;
    }
    if (c == '"') {
      return String(scalar);
    }
    if (std::isdigit(static_cast<unsigned char>(c)) != 0) {
      const std::size_t start = at_;
      while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])) != 0) {
        ++at_;
      }
      scalar = text_.substr(start, at_ - start);
      return c != '0' || scalar == "0";
    }
    return Word("true", scalar) || Word("false", scalar) || Word("null", scalar);
  }
  std::string text_;
  std::size_t at_ = 0;
  std::map<std::string, std::set<std::string>> enums_;
};

// The writer keeps its own state: rows of calls, what they write, and whether
// it is whole and complete.
struct JsonWriterCase {
  const char* name;
  std::size_t fieldSize;
  void (*write)(JsonOut& json);
  std::string expected;  // where it is whole
  bool overflowed;
  bool complete;
};

void Nested(JsonOut& json, std::size_t depth) {
  for (std::size_t i = 0; i < depth; ++i) {
    json.Begin('[');
    json.Number(i);
  }
  for (std::size_t i = 0; i < depth; ++i) {
    json.End(']');
  }
}

const JsonWriterCase kJsonWriterCases[] = {
    {"Members", 64,
     [](JsonOut& json) {
       json.Begin('{');
       json.Key("a");
       json.Number(1);
       json.Key("b");
       json.Begin('[');
       json.Bool(true);
       json.Null();
       json.End(']');
       json.End('}');
     },
     "{\"a\":1,\"b\":[true,null]}", false, true},
    // Commas past the eighth level too.
    {"TwelveLevels", 64, [](JsonOut& json) { Nested(json, 12); }, "[0,[1,[2,[3,[4,[5,[6,[7,[8,[9,[10,[11]]]]]]]]]]]]",
     false, true},
    {"DeeperThanItKeeps", 256, [](JsonOut& json) { Nested(json, 17); }, "", true, false},
    // Closed only as far as it keeps track: still too deep, never whole.
    {"ClosedAsFarAsItKeeps", 256,
     [](JsonOut& json) {
       for (int i = 0; i < 17; ++i) {
         json.Begin('[');
       }
       for (int i = 0; i < 16; ++i) {
         json.End(']');
       }
     },
     "", true, false},
    {"KeyInAnArray", 64,
     [](JsonOut& json) {
       json.Begin('[');
       json.Key("a");
     },
     "", true, false},
    {"ValueWithoutItsKey", 64,
     [](JsonOut& json) {
       json.Begin('{');
       json.Number(1);
     },
     "", true, false},
    {"KeyWithoutItsValue", 64,
     [](JsonOut& json) {
       json.Begin('{');
       json.Key("a");
       json.End('}');
     },
     "", true, false},
    {"WrongBracket", 64,
     [](JsonOut& json) {
       json.Begin('{');
       json.End(']');
     },
     "", true, false},
    {"EndOfNothing", 64, [](JsonOut& json) { json.End('}'); }, "", true, false},
    {"TwoValues", 64,
     [](JsonOut& json) {
       json.Number(1);
       json.Number(2);
     },
     "", true, false},
    {"Unclosed", 64, [](JsonOut& json) { json.Begin('{'); }, "{", false, false},
    {"FieldExactlyFull", 2,
     [](JsonOut& json) {
       json.Begin('[');
       json.End(']');
     },
     "[]", false, true},
    {"OneBytePastTheField", 2,
     [](JsonOut& json) {
       json.Begin('[');
       json.Number(1);
       json.End(']');
     },
     "", true, false},
};

void PrintTo(const JsonWriterCase& row, std::ostream* out) { *out << row.name; }

class JsonWriter : public testing::TestWithParam<JsonWriterCase> {};

TEST_P(JsonWriter, KeepsItsOwnState) {
  const JsonWriterCase& c = GetParam();
  std::vector<char> field(c.fieldSize + 1, '#');  // one guard byte after the field
  JsonOut json(field.data(), c.fieldSize, nullptr);
  c.write(json);
  EXPECT_EQ(json.Overflowed(), c.overflowed);
  EXPECT_EQ(json.IsComplete(), c.complete);
  EXPECT_LE(json.Length(), c.fieldSize);
  EXPECT_EQ(field[c.fieldSize], '#') << "written past the field";
  if (!c.overflowed) {
    EXPECT_EQ(std::string(field.data(), json.Length()), c.expected);
  }
  if (c.complete) {
    EXPECT_TRUE(JsonReader(c.expected).IsOneValue());
  }
}

INSTANTIATE_TEST_SUITE_P(Table, JsonWriter, testing::ValuesIn(kJsonWriterCases), RowName());

// The JSON line within its bound, its line end counted as the C runtime's
// text mode writes it ("\r\n"): devices that do not fit are counted, not
// listed. Where a row names the length the whole line would have, the last
// device's name is made as long as it takes; where it names an exe path's
// length, the head's texts are that much longer.
struct JsonBoundCase {
  const char* name;
  std::size_t bound;
  std::size_t devices;
  std::size_t expectedListed;  // kAsTheFieldHolds: as many as the devices' field holds
  std::size_t wholeLine;  // with "\r\n"; 0: as the devices come
  std::size_t exePath;    // 0: a short one
  bool textsOmitted;
};

constexpr std::size_t kAsTheFieldHolds = ~std::size_t{0};
const JsonBoundCase kJsonBoundCases[] = {
    {"UnboundListsAll", 0, 40, 40, 0, 0, false},
    {"BoundListsWhatFits", kComplianceLineBound, 40, 3, 0, 0, false},
    {"BoundWithNone", kComplianceLineBound, 0, 0, 0, 0, false},
    {"WholeLineOneShortOfTheBound", kComplianceLineBound, 3, 3, kComplianceLineBound - 1, 0, false},
    {"WholeLineAtTheBound", kComplianceLineBound, 3, 3, kComplianceLineBound, 0, false},
    {"WholeLineOnePastTheBound", kComplianceLineBound, 3, 2, kComplianceLineBound + 1, 0, false},
    {"HeadTooLongForTheBound", kComplianceLineBound, 3, 3, 0, 1900, true},
    {"DevicesFieldFull", 0, JsonFields::kMostListed + 3, kAsTheFieldHolds, 0, 0, false},
};

void PrintTo(const JsonBoundCase& row, std::ostream* out) { *out << row.name; }

class JsonBound : public testing::TestWithParam<JsonBoundCase> {};

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// The line for the row's devices, the last named with NAME.
std::string BoundLine(const JsonBoundCase& c, std::size_t bound, const std::wstring& lastName) {
  static char deviceId[kDeviceIdFieldSize] = "USB\\VID_1111&PID_2222";
  static Findings findings;
  static std::wstring exePath;
  exePath = L"C:\\Tools\\" + std::wstring(c.exePath, L'e') + L"nr.exe";
  findings = {};
  findings.deviceId = &deviceId;
  findings.exeShown = "C:\\Tools\\nr.exe";
  findings.exeExactPath = exePath.c_str();
  findings.keyPath = findings.windowsKeyPath =
      "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#VID_1111&PID_2222\\LocationPaths\\*";
  findings.devices.listed = true;
  static JsonFields fields;
  ReportText out;
  Latin1 codePage;
  JsonReport report(out, codePage, bound, fields);
  for (std::size_t i = 0; i < c.devices; ++i) {
    const DeviceFacts device = Device(IdMatch::MostSpecific, kOne, Capability::NotRemovable, kComputers, true,
                                      {ParentRead::Listed, Literal(L"USB\\VID_1111&PID_2222\\5&1"),
                                       Literal(L"USB Composite Device"), Literal(L"USB\\VID_1111&PID_2222")},
                                      i + 1 == c.devices ? lastName.c_str() : L"HID Keyboard Device");
    CountDevice(findings.devices, device);
    Keep(findings.deviceStore, device);
  }
  report.Render(findings, Decide(findings));
  return out.text_;
}

TEST_P(JsonBound, CountsWhatItCannotList) {
  const JsonBoundCase& c = GetParam();
  std::wstring lastName = L"HID Keyboard Device";
  if (c.wholeLine != 0) {
    // Unbound, the line grows by a byte with each letter of the name.
    const std::size_t length = BoundLine(c, 0, lastName).size() + 1;
    ASSERT_LE(length, c.wholeLine);
    lastName += std::wstring(c.wholeLine - length, L'n');
    ASSERT_EQ(BoundLine(c, 0, lastName).size() + 1, c.wholeLine);
  }
  const std::string line = BoundLine(c, c.bound, lastName);
  ASSERT_EQ(Count(line, "\n"), 1U);
  EXPECT_TRUE(JsonReader(line).IsOneValue()) << line;
  if (c.bound != 0) {
    EXPECT_LE(line.size() + 1, c.bound);
  }
  // Each device's object names its instance and the one above it.
  const std::size_t listed = Count(line, "\"instance\":") / 2;
  if (c.expectedListed == kAsTheFieldHolds) {
    EXPECT_GT(listed, 0U);
    EXPECT_LT(listed, c.devices);
  } else {
    EXPECT_EQ(listed, c.expectedListed) << line;
  }
  EXPECT_NE(line.find("\"devices_not_listed\":" + std::to_string(c.devices - listed) + "}"), std::string::npos)
      << line;
  EXPECT_NE(line.find("\"devices\":" + std::to_string(c.devices) + ","), std::string::npos) << line;
  EXPECT_EQ(line.find("\"texts_omitted\":true") != std::string::npos, c.textsOmitted) << line;
  // It would mark: no reason, and no sentence for one.
  EXPECT_NE(line.find("\"outcome\":\"would_mark\",\"status\":1,\"reason\":null,\"reason_text\":null,"),
            std::string::npos)
      << line;
}

INSTANTIATE_TEST_SUITE_P(Table, JsonBound, testing::ValuesIn(kJsonBoundCases), RowName());

// The schema's enumerations, read from the file that ships: each JSON field
// with codes, and the codes the catalogue's rows give it. Both ways: a code
// the JSON form can write that the schema lacks fails, and so does a code of
// the schema that no row gives.
JsonReader ReadSchema() {
  std::ifstream file(NOTREMOVABLE_SCHEMA);
  JsonReader schema{std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>())};
  EXPECT_TRUE(schema.IsOneValue()) << NOTREMOVABLE_SCHEMA;
  return schema;
}

template <class Enum>
std::set<Row> RowsOf(std::size_t count, Row (*row)(Enum), std::size_t first = 0) {
  std::set<Row> rows;
  for (std::size_t i = first; i < count; ++i) {
    rows.insert(row(static_cast<Enum>(i)));
  }
  return rows;
}
std::set<Row> NoticeRows(bool notes) {
  std::set<Row> rows;
  for (std::size_t i = 0; i < kNoticeCount; ++i) {
    if (IsNote(static_cast<Notice>(i)) == notes) {
      rows.insert(NoticeRow(static_cast<Notice>(i)));
    }
  }
  return rows;
}
Row KeyNowMarked(KeyState state) { return KeyNowRow(state, true); }
Row KeyNowNotMarked(KeyState state) { return KeyNowRow(state, false); }
Row ValueSourceOf(SettingsFile file) {
  SettingsFindings settings = {};
  settings.file = file;
  return ValueSourceRow(settings);
}
Row ValueSourceWithoutDevId(SettingsFile file) {
  SettingsFindings settings = {};
  settings.file = file;
  settings.keyMissing = true;
  return ValueSourceRow(settings);
}
std::set<Row> Joined(std::set<Row> a, const std::set<Row>& b) {
  a.insert(b.begin(), b.end());
  return a;
}

// Each JSON field with codes: its enumeration in the schema, and the rows
// whose codes the JSON form writes there (and null, where it may).
struct SchemaCase {
  const char* name;
  const char* path;
  std::set<Row> (*rows)();
  bool orNull;
};

const SchemaCase kSchemaCases[] = {
    {"Windows", "properties/windows/enum",
     [] { return RowsOf(static_cast<std::size_t>(WindowsKind::Bits64Native) + 1, WindowsRow); }, false},
    {"Outcome", "properties/verdict/properties/outcome/enum",
     [] { return RowsOf(static_cast<std::size_t>(Outcome::CannotJudge) + 1, OutcomeRow); }, false},
    // Where it would mark, the reason is null.
    {"Reason", "properties/verdict/properties/reason/enum",
     [] { return RowsOf(static_cast<std::size_t>(Reason::TargetNotConsole) + 1, ReasonRow, 1); }, true},
    {"KeyNow", "properties/verdict/properties/key_now/oneOf/1/properties/state/enum",
     [] {
       const std::size_t states = static_cast<std::size_t>(KeyState::OtherType) + 1;
       return Joined(RowsOf(states, KeyNowMarked), RowsOf(states, KeyNowNotMarked));
     },
     false},
    {"Effect", "properties/summary/properties/effect/enum",
     [] { return RowsOf(static_cast<std::size_t>(Effect::CannotTell) + 1, SummaryEffectRow); }, false},
    {"Warnings", "properties/warnings/items/enum", [] { return NoticeRows(false); }, false},
    {"Notes", "properties/notes/items/enum", [] { return NoticeRows(true); }, false},
    {"Place", "properties/exe/properties/place/enum",
     [] { return RowsOf(static_cast<std::size_t>(Whereabouts::Unknown) + 1, PlaceRow); }, false},
    {"SettingsFile", "properties/settings/oneOf/1/properties/file/enum",
     [] { return RowsOf(static_cast<std::size_t>(SettingsFile::LinkToNothing) + 1, SettingsFileRow); }, false},
    {"ValueSource", "properties/settings/oneOf/1/properties/value_source/enum",
     [] {
       const std::size_t files = static_cast<std::size_t>(SettingsFile::LinkToNothing) + 1;
       return Joined(RowsOf(files, ValueSourceOf), RowsOf(files, ValueSourceWithoutDevId));
     },
     false},
    // A trust finding not checked is not written.
    {"Trust", "$defs/trust/properties/verdict/enum",
     [] { return RowsOf(static_cast<std::size_t>(TrustVerdict::Unreadable) + 1, TrustRow, 1); }, false},
    {"Match", "properties/devices/items/properties/match/enum",
     [] { return RowsOf(static_cast<std::size_t>(IdMatch::InstancePath) + 1, MatchRow, 1); }, false},
    {"Container", "properties/devices/items/properties/container/enum",
     [] { return RowsOf(static_cast<std::size_t>(Container::CannotTell) + 1, ContainerRow); }, false},
};

void PrintTo(const SchemaCase& row, std::ostream* out) { *out << row.name; }

class SchemaCodes : public testing::TestWithParam<SchemaCase> {};

TEST_P(SchemaCodes, AreTheCataloguesBothWays) {
  static const JsonReader schema = ReadSchema();
  std::set<std::string> codes;
  for (const Row row : GetParam().rows()) {
    codes.insert(RowOf(row).code != nullptr ? RowOf(row).code : "(a row without a code)");
  }
  if (GetParam().orNull) {
    codes.insert("null");
  }
  EXPECT_EQ(codes, schema.Enum(GetParam().path));
}

INSTANTIATE_TEST_SUITE_P(Table, SchemaCodes, testing::ValuesIn(kSchemaCases), RowName());

// A row has a code exactly where the JSON form writes it: no code that
// nothing emits.
TEST(Catalogue, GivesCodesOnlyToRowsTheJsonFormWrites) {
  std::set<Row> written;
  for (const SchemaCase& field : kSchemaCases) {
    written = Joined(written, field.rows());
  }
  for (std::size_t i = 0; i <= static_cast<std::size_t>(Row::ReasonTargetNotConsole); ++i) {
    const Row row = static_cast<Row>(i);
    EXPECT_EQ(RowOf(row).code != nullptr, written.count(row) == 1) << "row " << i << ": " << RowOf(row).text;
  }
}

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
  void (*lay)(SettingsFindings& settings, Findings& findings);
  std::string expected;
  // What the JSON form says of it, where it says anything: part of its line.
  std::string json = "";
};

TrustFinding Judged(TrustVerdict verdict) {
  TrustFinding finding = {};
  finding.verdict = verdict;
  return finding;
}

// A key the exe would mark, and what stands there.
void MarkingKey(Findings& findings, KeyState state) {
  static const char kId[kDeviceIdFieldSize] = "USB\\VID_1111&PID_2222";
  findings.deviceId = &kId;
  findings.keyPath = findings.windowsKeyPath =
      "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#VID_1111&PID_2222\\LocationPaths\\*";
  findings.keyNow.state = state;
  findings.keyNow.systemMessage = "Access is denied";
  findings.keyNow.type = state == KeyState::Dword ? 4 : 3;
  findings.keyNow.size = 4;
}

const SettingsLineCase kSettingsLineCases[] = {
    {"ValueOverTheBound", Refusal::ValueTooLong,
     [](SettingsFindings& f, Findings&) { LayIntoField(std::string(300, 'A'), f.value); },
     "value: \"" + std::string(300, 'A') + "\" (300 characters)",
     R"("value_source":"configured","value_length":300})"},
    {"TrustedOnlyForTheAccount", Refusal::None,
     [](SettingsFindings&, Findings& r) { r.folder.withoutAccount = TrustVerdict::OwnerUntrusted; },
     "warning: C:\\Tools\\ is trusted only because it belongs to PC\\admin, who runs this check: run as SYSTEM, "
     "the exe would refuse it",
     R"("warnings":["folder_trusted_only_for_account"])"},
    {"AccountUnknown", Refusal::AccountUnknown, [](SettingsFindings&, Findings& r) { r.accountName = nullptr; },
     "account: cannot be read",
     R"("settings":{"path":"C:\\Tools\\nr.ini","file":"present","size":0},)"},
    {"TooLarge", Refusal::SettingsTooLarge, [](SettingsFindings& f, Findings&) { f.fileSize = 5000000000U; },
     "settings file: C:\\Tools\\nr.ini: present, but it holds 5000000000 bytes, more than the 16 MiB a settings "
     "file may hold, so it is not read",
     R"("file":"present","size":5000000000})"},
    {"PlaceUnknown", Refusal::SettingsPlaceUnknown, [](SettingsFindings& f, Findings&) { f.error = 5; },
     "settings file: C:\\Tools\\nr.ini: present, but where it really lies cannot be told: Access is denied (error 5)",
     R"("size":0,"error":5,"message":"Access is denied"})"},
    {"ReadFailed", Refusal::SettingsReadFailed, [](SettingsFindings& f, Findings&) { f.error = 8; },
     "verdict: would do nothing: the profile reader could not read the settings file (status 0)",
     R"("reason":"settings_read_failed")"},
    // The verdict names each refusal's own reason.
    {"ReasonIdTooShort", Refusal::None, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the ID is shorter than 21 characters (status 0)",
     R"("reason":"id_too_short")"},
    {"ReasonExePathTooLong", Refusal::ExePathTooLong, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the exe's path is 256 characters or longer (status 0)",
     R"("reason":"exe_path_too_long")"},
    {"ReasonExeLongPathUnknown", Refusal::ExeLongPathUnknown, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the exe's long path cannot be had: a folder on its way cannot be listed (status 0)",
     R"("reason":"exe_long_path_unknown")"},
    {"ReasonExePathNotExact", Refusal::ExePathNotExact, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the exe's path has letters that the ANSI code page cannot write exactly (status 0)",
     R"("reason":"exe_path_not_exact")"},
    {"ReasonReadsMayGoElsewhere", Refusal::ReadsMayGoElsewhere, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where "
     "Windows redirects what it reads (status 0)",
     R"("reason":"exe_in_system_folder")"},
    {"ReasonSettingsPathTooLong", Refusal::SettingsPathTooLong, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file's path would be 256 characters or longer (status 0)",
     R"("reason":"settings_path_too_long")"},
    {"ReasonAccountUnknown", Refusal::AccountUnknown, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the account it runs as cannot be read (status 0)",
     R"("reason":"account_unknown")"},
    {"ReasonFolderUntrusted", Refusal::FolderUntrusted,
     [](SettingsFindings& s, Findings& f) {
       s.folder = Judged(TrustVerdict::WriterUntrusted);
       s.folder.mask = kModify;
       f.folder.principalName = L"BUILTIN\\Users";
     },
     "verdict: would do nothing: BUILTIN\\Users may add files to C:\\Tools\\ (status 0)",
     R"("trust":{"folder":{"verdict":"writer_untrusted","principal":"BUILTIN\\Users","rights":1245631},"exe":)"},
    {"ReasonExeRealPathTooLong", Refusal::ExeRealPathTooLong, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the exe really lies elsewhere, at a path too long to judge (status 0)",
     R"("reason":"exe_real_path_too_long")"},
    {"ReasonRealFolderUntrusted", Refusal::RealFolderUntrusted,
     [](SettingsFindings& s, Findings&) {
       LayIntoField("C:\\Open\\", s.realFolderPath);
       s.realFolder = Judged(TrustVerdict::NoDacl);
     },
     "verdict: would do nothing: C:\\Open\\ has no permissions at all (FAT or exFAT, or a NULL DACL): anyone may "
     "change it (status 0)",
     R"("real_folder":{"path":"C:\\Open\\","verdict":"no_dacl"},)"},
    {"ReasonExeUntrusted", Refusal::ExeUntrusted,
     [](SettingsFindings& s, Findings& f) {
       s.exe = Judged(TrustVerdict::OwnerUntrusted);
       f.exe.principalName = L"PC\\guest";
     },
     "verdict: would do nothing: C:\\Tools\\nr.exe is owned by PC\\guest, who is not trusted and may change it "
     "(status 0)",
     R"("exe":{"verdict":"owner_untrusted","principal":"PC\\guest"},)"},
    {"ReasonSettingsUntrusted", Refusal::SettingsUntrusted,
     [](SettingsFindings& s, Findings&) { s.settings = Judged(TrustVerdict::EntryUnread); },
     "verdict: would do nothing: C:\\Tools\\nr.ini has an access entry of a kind that is not read (counted as an "
     "untrusted writer) (status 0)",
     R"("settings":{"verdict":"entry_unread"}})"},
    {"ReasonSettingsUnreadable", Refusal::SettingsUnreadable, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file cannot be read (status 0)",
     R"("reason":"settings_unreadable")"},
    {"ReasonSettingsHeld", Refusal::SettingsHeld, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file is held open by another program, writing it or not sharing "
     "reading (status 0)",
     R"("reason":"settings_held")"},
    {"ReasonSettingsLinkToNothing", Refusal::SettingsLinkToNothing, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file is a link to nothing (status 0)",
     R"("reason":"settings_link_to_nothing")"},
    {"ReasonSettingsElsewhere", Refusal::SettingsElsewhere, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file really lies elsewhere than its name says (status 0)",
     R"("reason":"settings_elsewhere")"},
    {"ReasonSettingsNameCase", Refusal::SettingsElsewhere,
     [](SettingsFindings&, Findings& f) { f.settingsPlaceDiffersInCase = true; },
     "verdict: would do nothing: the settings file's name differs from its name on disk in the case of letters "
     "outside ASCII (status 0)",
     R"("reason":"settings_name_case")"},
    {"ReasonSettingsPlaceUnknown", Refusal::SettingsPlaceUnknown, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: where the settings file really lies cannot be told (status 0)",
     R"("reason":"settings_place_unknown")"},
    {"ReasonSettingsTooLarge", Refusal::SettingsTooLarge, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the settings file is larger than 16 MiB (status 0)",
     R"("reason":"settings_too_large")"},
    {"ReasonValueTooLong", Refusal::ValueTooLong, [](SettingsFindings&, Findings&) {},
     "verdict: would do nothing: the value is longer than 254 characters (status 0)",
     R"("reason":"value_too_long")"},
    {"ReadFailedWithItsMessage", Refusal::SettingsReadFailed, [](SettingsFindings& f, Findings&) { f.error = 8; },
     "settings file: C:\\Tools\\nr.ini: present, but the profile reader could not read it: Access is denied (error 8)",
     R"("size":0,"error":8,"message":"Access is denied"})"},
    {"ElsewhereAtAPathTooLong", Refusal::SettingsElsewhere, [](SettingsFindings&, Findings&) {},
     "settings file: C:\\Tools\\nr.ini: present, but it really lies at a path too long to be read",
     R"("size":0,"real_path":null})"},
    {"ElsewhereOnlyInCase", Refusal::SettingsElsewhere,
     [](SettingsFindings& f, Findings& r) {
       LayIntoField("\\\\?\\C:\\Tools\\N\xC9.ini", f.realPath);
       r.settingsPlaceDiffersInCase = true;
     },
     "settings file: C:\\Tools\\nr.ini: present, but where it really lies, \\\\?\\C:\\Tools\\N\xC9.ini, differs from "
     "its name only in the case of letters outside ASCII, which the exe compares exactly: write the name as it "
     "stands on disk",
     R"("size":0,"real_path":"\\\\?\\C:\\Tools\\N\u00c9.ini"})"},
    {"ExePlaceUnknown", Refusal::None,
     [](SettingsFindings& f, Findings&) {
       f.exePlace = Whereabouts::Unknown;
       f.exeError = 5;
     },
     "exe: where it really lies cannot be told: Access is denied (error 5); it is judged where it was named",
     R"("exe":{"path":null,"place":"unknown","error":5})"},
    // Where the exe would mark: what stands at its key now.
    {"KeyUnreadable", Refusal::None,
     [](SettingsFindings&, Findings& r) {
       MarkingKey(r, KeyState::Unreadable);
       r.keyNow.error = 5;
     },
     "key now: cannot be read: Access is denied (error 5)",
     R"("key_now":{"state":"unreadable","error":5,"message":"Access is denied"})"},
    {"KeyAbsent", Refusal::None, [](SettingsFindings&, Findings& r) { MarkingKey(r, KeyState::NoKey); },
     "key now: no key", R"("key_now":{"state":"absent"})"},
    {"KeyOfAnotherDword", Refusal::None,
     [](SettingsFindings&, Findings& r) {
       MarkingKey(r, KeyState::Dword);
       r.keyNow.data = 1;
     },
     "key now: Removable = 1", R"("key_now":{"state":"dword","type":4,"size":4,"value":1})"},
    {"KeyOfAnotherTypeAsLargeAsItsField", Refusal::None,
     [](SettingsFindings&, Findings& r) {
       MarkingKey(r, KeyState::OtherType);
       r.keyNow.size = kKeyDataFieldSize;
       r.keyNow.raw[0] = 0xAB;
       r.keyNow.raw[kKeyDataFieldSize - 1] = 0x0C;
     },
     "key now: Removable of another type or size (type 3), which the exe would replace",
     R"("type":3,"size":64,"data":"ab)" + std::string(2 * (kKeyDataFieldSize - 2), '0') + R"(0c"})"},
    {"KeyOfAnotherTypeLargerThanItsField", Refusal::None,
     [](SettingsFindings&, Findings& r) {
       MarkingKey(r, KeyState::OtherType);
       r.keyNow.size = kKeyDataFieldSize + 1;
     },
     "key now: Removable of another type or size (type 3), which the exe would replace",
     R"("key_now":{"state":"other_type","type":3,"size":65})"},
    {"ExeElsewhere", Refusal::None,
     [](SettingsFindings& f, Findings&) {
       f.exePlace = Whereabouts::Elsewhere;
       LayIntoField("C:\\Real\\nr.exe", f.exeRealPath);
     },
     "exe: really lies at C:\\Real\\nr.exe (reached through a link, or a drive letter that stands for another place)",
     R"("exe":{"path":null,"place":"elsewhere","real_path":"C:\\Real\\nr.exe"})"},

};

void PrintTo(const SettingsLineCase& row, std::ostream* out) { *out << row.name; }

class SettingsLine : public testing::TestWithParam<SettingsLineCase> {};

TEST_P(SettingsLine, TellsWhatTheReaderFound) {
  static SettingsFindings settings;
  settings = {};
  LayIntoField("C:\\Tools\\", settings.folderPath);
  LayIntoField("C:\\Tools\\nr.ini", settings.settingsPath);
  LayIntoField("USB\\VID_1111&PID_2222", settings.value);
  settings.file = SettingsFile::Present;
  settings.folder = settings.exe = settings.settings = Judged(TrustVerdict::Trusted);
  static Findings findings;
  findings = {};
  findings.exeShown = "C:\\Tools\\nr.exe";
  findings.accountName = L"PC\\admin";
  findings.refusal = GetParam().refusal;
  findings.settings = &settings;
  findings.exePath = "C:\\Tools\\nr.exe";
  findings.systemMessage = findings.exePlaceMessage = "Access is denied";
  findings.folder = {&settings.folder, settings.folderPath, true, L"", TrustVerdict::NotChecked};
  findings.realFolder = {&settings.realFolder, settings.realFolderPath, true, L"", TrustVerdict::NotChecked};
  findings.exe = {&settings.exe, "C:\\Tools\\nr.exe", false, L"", TrustVerdict::NotChecked};
  findings.settingsFile = {&settings.settings, settings.settingsPath, false, L"", TrustVerdict::NotChecked};
  GetParam().lay(settings, findings);
  ReportText out;
  Latin1 codePage;
  TextReport(out, codePage).Render(findings, Decide(findings));
  EXPECT_NE(out.text_.find(GetParam().expected + "\n"), std::string::npos) << out.text_;
  // That line, and no other of its kind: none that starts as it does, up to
  // its second ": " (a file's line, not the trust line of the same label).
  const std::string& expected = GetParam().expected;
  const std::size_t kind = expected.find(": ", expected.find(": ") + 2);
  EXPECT_EQ(Count("\n" + out.text_, "\n" + expected.substr(0, kind == std::string::npos ? kind : kind + 2)), 1U)
      << out.text_;
  // A line on where the exe really lies only where it does not lie as named,
  // beside the one on who may change it.
  EXPECT_EQ(Count("\n" + out.text_, "\nexe: "),
            (settings.exe.verdict != TrustVerdict::NotChecked ? 1U : 0U) +
                (settings.exePlace != Whereabouts::AsNamed ? 1U : 0U))
      << out.text_;
  // The value's line where the value was read, and only there.
  EXPECT_EQ(Count("\n" + out.text_, "\nvalue: "), Decide(findings).valueRead ? 1U : 0U) << out.text_;
  // No line words a finding that is not there: no empty text, path or clause.
  for (const char* empty : {"\"\"", "  ", ": \n", ":  ", " \n"}) {
    EXPECT_EQ(out.text_.find(empty), std::string::npos) << "\"" << empty << "\" in " << out.text_;
  }
  static JsonFields fields;
  ReportText line;
  JsonReport(line, codePage, 0, fields).Render(findings, Decide(findings));
  EXPECT_TRUE(JsonReader(line.text_).IsOneValue()) << line.text_;
  EXPECT_NE(line.text_.find(GetParam().json), std::string::npos) << line.text_;
}

INSTANTIATE_TEST_SUITE_P(Table, SettingsLine, testing::ValuesIn(kSettingsLineCases), RowName());

}  // namespace
}  // namespace notremovable
