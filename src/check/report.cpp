// The check program's report, line by line: its fixed texts in tables by the
// enum that chooses them, each written once.
#include "check/report.h"

#include "rules/device_id.h"
#include "rules/exit_status.h"
#include "rules/override_key.h"

namespace notremovable {
namespace {

constexpr char kRootKeyName[] = "HKEY_LOCAL_MACHINE";

// A fixed text chosen by an enum: the table holds one for each of its values, in order.
template <class Enum, std::size_t Count>
const char* Wording(const char* const (&table)[Count], Enum value) {
  const auto index = static_cast<std::size_t>(value);
  return index < Count ? table[index] : "";
}

constexpr const char* kCannotJudge[] = {"usage", "notremovable-check"};
constexpr const char* kCannotJudgeText[] = {"notremovable-check.exe [EXE]", "no such exe: "};
static_assert(sizeof kCannotJudgeText / sizeof *kCannotJudgeText ==
              static_cast<std::size_t>(CannotJudge::NoSuchExe) + 1, "one text for each reason");

constexpr const char* kWindowsKinds[] = {"cannot tell 32-bit from 64-bit", "32-bit",
                                         "64-bit (the exe runs under WOW64)"};
static_assert(sizeof kWindowsKinds / sizeof *kWindowsKinds ==
              static_cast<std::size_t>(WindowsKind::Bits64) + 1, "one text for each kind");

// The write rights, the most telling first, and what each lets someone do.
struct RightWording {
  std::uint32_t rights;
  const char* onFile;
  const char* onFolder;
};
constexpr RightWording kRightWordings[] = {
    {kGenericAll | kMaximumAllowed, "do anything to", "do anything to"},
    {kWriteData, "write", "add files to"},
    {kAppendData, "append to", "add folders to"},
    {kGenericWrite, "write", "add files and folders to"},
    {kDeleteChild, "delete", "delete what is in"},
    {kDelete, "delete or rename", "delete or rename"},
    {kWriteDac, "change the permissions of", "change the permissions of"},
    {kWriteOwner, "take the ownership of", "take the ownership of"},
    {kWriteAttributes, "change the attributes of", "change the attributes of"},
    {kWriteEa, "change the extended attributes of", "change the extended attributes of"},
};

// What stands at the settings path; "present" and "unreadable" are followed by more.
constexpr const char* kSettingsFileStates[] = {
    "not looked at, since an earlier check refuses",
    "missing, so the built-in default applies",
    "a folder stands at that name, so the built-in default applies",
    "present",
    "unreadable: ",
    "held open by a program that is writing it (or that does not share reading)",
    "a link to nothing (its target is missing)",
};
static_assert(sizeof kSettingsFileStates / sizeof *kSettingsFileStates ==
              static_cast<std::size_t>(SettingsFile::LinkToNothing) + 1, "one text for each state");

// Why the exe would do nothing; null where who may change an object is the reason.
static_assert(kShortestDeviceId == 21 && kLongestDeviceId == 254, "the reasons name both bounds");
constexpr const char* kReasons[] = {
    "the ID is shorter than 21 characters",
    "the exe's path is 256 characters or longer, or has letters that the ANSI code page cannot write exactly",
    "on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where Windows redirects what it reads",
    "the settings file's path would be 256 characters or longer",
    "the account it runs as cannot be read",
    nullptr,
    nullptr,
    nullptr,
    "the settings file cannot be read",
    "the settings file is held open by a program that is writing it",
    "the settings file is a link to nothing",
    "the settings file really lies elsewhere than its name says",
    "the value is longer than 254 characters",
};
static_assert(sizeof kReasons / sizeof *kReasons == static_cast<std::size_t>(Refusal::ValueTooLong) + 1,
              "one reason for each refusal");

constexpr const char* kMatches[] = {
    "", "its most specific hardware ID", "a less specific hardware ID of it; its most specific is ",
    "a compatible ID of it", "this is the instance path of \""};
static_assert(sizeof kMatches / sizeof *kMatches == static_cast<std::size_t>(IdMatch::InstancePath) + 1,
              "one text for each match");

constexpr const char* kEffects[] = {"in effect", "not in effect yet", "cannot tell"};
static_assert(sizeof kEffects / sizeof *kEffects == static_cast<std::size_t>(OverrideEffect::CannotTell) + 1,
              "one text for each effect");

constexpr char kNoDescription[] = "a device without a description";

// Why the object is not trusted, as a clause: "BUILTIN\Users may add files to C:\Tools\".
void WriteDistrust(ReportLine& line, const NamedFinding& named) {
  const TrustFinding& finding = *named.finding;
  switch (finding.verdict) {
    case TrustVerdict::OwnerUntrusted:
      line.Outside(named.path).Own(" is owned by ").Outside(named.principalName);
      line.Own(", who is not trusted and may change it");
      break;
    case TrustVerdict::WriterUntrusted: {
      const char* const phrase = WriteRightPhrase(finding.mask, named.isFolder);
      line.Outside(named.principalName).Own(" may ").Own(phrase != nullptr ? phrase : "change");
      line.Own(" ").Outside(named.path);
      break;
    }
    case TrustVerdict::EntryUnread:
      line.Outside(named.path);
      line.Own(" has an access entry of a kind that is not read (counted as an untrusted writer)");
      break;
    case TrustVerdict::NoDacl:
      line.Outside(named.path);
      line.Own(" has no permissions at all (FAT or exFAT, or a NULL DACL): anyone may change it");
      break;
    default:
      line.Own("who may change ").Outside(named.path).Own(" cannot be read");
      break;
  }
}

void WriteTrustLines(ReportOut& out, const char* what, const NamedFinding& named,
                     const char* accountName) {
  if (named.finding->verdict == TrustVerdict::NotChecked) {
    return;
  }
  {
    ReportLine line(out, what);
    if (named.finding->verdict == TrustVerdict::Trusted) {
      line.Own("trusted (only trusted accounts own and may change ").Outside(named.path).Own(")");
    } else {
      WriteDistrust(line, named);
    }
  }
  if (named.finding->verdict == TrustVerdict::Trusted && named.trustedOnlyForAccount) {
    ReportLine(out, "warning").Outside(named.path).Own(" is trusted only because it belongs to ")
        .Outside(accountName).Own(", who runs this check: run as SYSTEM, the exe would refuse it");
  }
}

void WriteSettingsFileLine(ReportOut& out, const SettingsReport& report) {
  const SettingsFindings& findings = *report.findings;
  if (findings.settingsPath[0] == '\0') {
    return;
  }
  ReportLine line(out, "settings file");
  line.Outside(findings.settingsPath).Own(": ").Own(Wording(kSettingsFileStates, findings.file));
  if (findings.file == SettingsFile::Present && report.refusal == Refusal::SettingsElsewhere) {
    if (findings.realPath[0] != '\0') {
      line.Own(", but it really lies at ").Outside(findings.realPath);
      line.Own(" (reached through a link, or a drive letter that stands for another place)");
    } else {
      line.Own(", but where it really lies cannot be read");
    }
  } else if (findings.file == SettingsFile::Unreadable) {
    line.Outside(report.systemMessage).Own(" (error ").Number(findings.error).Own(")");
  }
}

void WriteValueLines(ReportOut& out, const SettingsReport& report) {
  const SettingsFindings& findings = *report.findings;
  if (report.refusal != Refusal::None && report.refusal != Refusal::ValueTooLong) {
    return;
  }
  const std::size_t length = LengthOf(findings.value);
  {
    ReportLine line(out, "value");
    line.Own("\"").Outside({findings.value, length}).Own("\" (").Number(length).Own(" characters");
    if (findings.file != SettingsFile::Present) {
      line.Own(", the built-in default");
    } else if (findings.keyMissing) {
      line.Own(", the built-in default: the settings file has no DevID in a [Settings] section");
    }
    line.Own(")");
  }
  const IdOddities odd = FindIdOddities(findings.value, length);
  if (odd.space) {
    ReportLine(out, "warning").Own("the value holds a space, which a hardware ID never does");
  }
  if (odd.semicolon) {
    ReportLine(out, "warning").Own("the value holds a ';': a comment after the value is part of it");
  }
  if (odd.outsideAscii) {
    ReportLine(out, "warning")
        .Own("the value holds characters outside ASCII, which a hardware ID never does");
  }
  if (odd.thirdPart) {
    ReportLine(out, "warning").Own(
        "the value has a third \\ part, as a device instance path has: use the device's hardware ID");
  }
}

void WriteReason(ReportLine& line, const SettingsReport& report) {
  switch (report.refusal) {
    case Refusal::FolderUntrusted:
      WriteDistrust(line, report.folder);
      break;
    case Refusal::ExeUntrusted:
      WriteDistrust(line, report.exe);
      break;
    case Refusal::SettingsUntrusted:
      WriteDistrust(line, report.settings);
      break;
    default:
      line.Own(Wording(kReasons, report.refusal));
      break;
  }
}

}  // namespace

ReportLine::ReportLine(ReportOut& out, const char* label) : out_(out) {
  Own(label).Own(": ");
}

ReportLine::~ReportLine() { out_.Write("\n", 1); }

ReportLine& ReportLine::Own(const char* text) {
  out_.Write(text, LengthOf(text));
  return *this;
}

ReportLine& ReportLine::Outside(Text text) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::size_t plainStart = 0;
  for (std::size_t i = 0; i < text.length; ++i) {
    const auto c = static_cast<unsigned char>(text.text[i]);
    if (c < 0x20U || c == 0x7FU) {
      out_.Write(text.text + plainStart, i - plainStart);
      const char escaped[] = {'\\', 'x', kHexDigits[c >> 4U], kHexDigits[c & 0xFU]};
      out_.Write(escaped, sizeof escaped);
      plainStart = i + 1;
    }
  }
  out_.Write(text.text + plainStart, text.length - plainStart);
  return *this;
}

ReportLine& ReportLine::Outside(const char* text) { return Outside({text, LengthOf(text)}); }

ReportLine& ReportLine::Number(unsigned long number) {
  char digits[24];
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + number % 10U);
    number /= 10U;
  } while (number != 0 && start > 0);
  out_.Write(digits + start, sizeof digits - start);
  return *this;
}

int WriteCannotJudge(ReportOut& out, CannotJudge why, const char* shownExe) {
  ReportLine line(out, Wording(kCannotJudge, why));
  line.Own(Wording(kCannotJudgeText, why));
  if (why != CannotJudge::Usage) {
    line.Outside(shownExe);
  }
  return kExitCannotJudge;
}

void WriteHeaderLines(ReportOut& out, const char* shownExe, const char* accountName,
                      WindowsKind windows) {
  ReportLine(out, "judging").Outside(shownExe);
  {
    ReportLine line(out, "account");
    if (accountName != nullptr) {
      line.Outside(accountName);
    } else {
      line.Own("cannot be read");
    }
  }
  ReportLine(out, "windows").Own(Wording(kWindowsKinds, windows));
}

const char* WriteRightPhrase(std::uint32_t mask, bool onFolder) {
  if ((mask & kFullControl) == kFullControl) {
    return "do anything to";
  }
  const RightWording* const end = kRightWordings + sizeof kRightWordings / sizeof *kRightWordings;
  const RightWording* found = kRightWordings;
  while (found != end && (mask & found->rights) == 0) {
    ++found;
  }
  if (found == end) {
    return nullptr;
  }
  return onFolder ? found->onFolder : found->onFile;
}

void WriteSettingsLines(ReportOut& out, const SettingsReport& report) {
  if (report.findings == nullptr) {
    return;
  }
  WriteSettingsFileLine(out, report);
  WriteTrustLines(out, "folder", report.folder, report.accountName);
  WriteTrustLines(out, "exe", report.exe, report.accountName);
  WriteTrustLines(out, "settings file", report.settings, report.accountName);
  WriteValueLines(out, report);
}

void WriteKeyLines(ReportOut& out, const char* keyPath, const char* windowsKeyPath,
                   const KeyNow& now) {
  ReportLine(out, "key").Own(kRootKeyName).Own("\\").Outside(keyPath);
  {
    ReportLine line(out, "key now");
    switch (now.state) {
      case KeyState::NoKey:
        line.Own("no key");
        break;
      case KeyState::Unreadable:
        line.Own("cannot be read: ").Outside(now.systemMessage).Own(" (error ").Number(now.error);
        line.Own(")");
        break;
      case KeyState::WithoutValue:
        line.Own("the key, without ").Own(kRemovableValueName);
        break;
      case KeyState::Dword:
        line.Own(kRemovableValueName).Own(" = ").Number(now.data);
        line.Own(now.data == kRemovableData ? " already" : "");
        break;
      default:
        line.Own(kRemovableValueName).Own(" of another type or size (type ").Number(now.type);
        line.Own("), which the exe would replace");
        break;
    }
  }
  if (!IsSameText(Text{keyPath, LengthOf(keyPath)}, Text{windowsKeyPath, LengthOf(windowsKeyPath)})) {
    ReportLine(out, "warning")
        .Own("Windows looks up an override for this ID only under the ID with every \\ as #, ")
        .Own(kRootKeyName).Own("\\").Outside(windowsKeyPath)
        .Own("; the exe writes another key, which Windows never reads for it");
  }
}

void WriteDeviceLine(ReportOut& out, const DeviceFacts& device) {
  ReportLine line(out, "device");
  const Text name = device.name.length != 0 ? device.name : Text{kNoDescription, sizeof kNoDescription - 1};
  if (device.match == IdMatch::InstancePath) {
    line.Own(Wording(kMatches, device.match)).Outside(name)
        .Own("\", not a hardware ID; its hardware ID is ").Outside(device.mostSpecificId);
    return;
  }
  line.Own("\"").Outside(name).Own("\"").Own(device.presentNow ? "" : " (not present now)");
  line.Own(": ").Own(Wording(kMatches, device.match));
  if (device.match == IdMatch::LessSpecific) {
    line.Outside(device.mostSpecificId);
  }
  line.Own("; ").Own(Wording(kEffects, device.effect));
}

void WriteDeviceSummary(ReportOut& out, const DeviceTally& tally) {
  if (!tally.listed) {
    ReportLine(out, "devices").Own("the devices cannot be listed");
    return;
  }
  if (tally.instancePath) {
    return;
  }
  {
    ReportLine line(out, "devices");
    if (tally.matching == 0) {
      line.Own("no device has this ID");
    } else {
      line.Number(tally.matching).Own(tally.matching == 1 ? " device has" : " devices have");
      line.Own(" this ID");
    }
    if (tally.unreadable > 0) {
      line.Own("; the IDs of ").Number(tally.unreadable).Own(" more cannot be read");
    }
  }
  if (ReachesOtherKinds(tally)) {
    ReportLine(out, "warning")
        .Own("the override applies to every device with this ID, not to one device: ")
        .Number(tally.matching).Own(" here");
  }
  if (tally.notYet > 0) {
    ReportLine(out, "note").Own(
        "not in effect yet: Windows applies the override when it next sets the device up "
        "(replug it, or restart); if it stays so after that, the device's bus gives it a "
        "container of its own, which the override does not change");
  }
}

int WriteVerdict(ReportOut& out, const SettingsReport& report, const char* keyPath) {
  ReportLine line(out, "verdict");
  if (keyPath != nullptr) {
    line.Own("would mark ").Own(kRootKeyName).Own("\\").Outside(keyPath).Own(" (status ");
    line.Number(static_cast<unsigned long>(kExitWriteAttempted)).Own(")");
    return kExitWriteAttempted;
  }
  line.Own("would do nothing: ");
  WriteReason(line, report);
  line.Own(" (status ").Number(static_cast<unsigned long>(kExitIdRefused)).Own(")");
  return kExitIdRefused;
}

}  // namespace notremovable
