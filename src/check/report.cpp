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
template <std::size_t Count, class Enum>
constexpr bool OneForEach(const char* const (&)[Count], Enum last) {
  return Count == static_cast<std::size_t>(last) + 1;
}

constexpr const char* kCannotJudge[] = {
    "",
    "notremovable-check.exe [EXE]: tells what notremovable.exe (or the exe named) would do on this PC, and why",
    "no such exe: ",
    "a folder, not a program: ",
    "a device, not a program: ",
    "not a Windows program: ",
    "cannot be read: ",
};
static_assert(OneForEach(kCannotJudge, CannotJudge::Unreadable), "one text for each value");

constexpr const char* kWindowsKinds[] = {"cannot tell 32-bit from 64-bit", "32-bit",
                                         "64-bit (the exe runs under WOW64)",
                                         "64-bit (an x86-64 build: the exe runs without WOW64)"};
static_assert(OneForEach(kWindowsKinds, WindowsKind::Bits64Native), "one text for each value");

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
    "held open by another program that is writing it, or that does not share reading",
    "a link to nothing (its target is missing)",
};
static_assert(OneForEach(kSettingsFileStates, SettingsFile::LinkToNothing), "one text for each value");

// Why the exe would do nothing; null where who may change an object is the reason.
static_assert(kShortestDeviceId == 21 && kLongestDeviceId == 254, "the reasons name both bounds");
static_assert(kLargestSettingsFile == std::uint64_t{16} * 1024U * 1024U, "the reasons name the largest settings file");
constexpr const char* kReasons[] = {
    "the ID is shorter than 21 characters",
    "the exe's path is 256 characters or longer",
    "the exe's long path cannot be had: a folder on its way cannot be listed",
    "the exe's path has letters that the ANSI code page cannot write exactly",
    "on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where Windows redirects what it reads",
    "the settings file's path would be 256 characters or longer",
    "the account it runs as cannot be read",
    nullptr,
    "the exe really lies elsewhere, at a path too long to judge",
    nullptr,
    nullptr,
    nullptr,
    "the settings file cannot be read",
    "the settings file is held open by another program, writing it or not sharing reading",
    "the settings file is a link to nothing",
    "the settings file really lies elsewhere than its name says",
    "where the settings file really lies cannot be told",
    "the settings file is larger than 16 MiB",
    "the profile reader could not read the settings file",
    "the value is longer than 254 characters",
};
static_assert(OneForEach(kReasons, Refusal::ValueTooLong), "one text for each value");

constexpr const char* kMatches[] = {
    "",
    "its most specific hardware ID",
    "a less specific hardware ID of it; its most specific is ",
    "a compatible ID of it",
    "this is the instance path of \"",
};
static_assert(OneForEach(kMatches, IdMatch::InstancePath), "one text for each value");

constexpr const char* kEffects[] = {
    "it reports itself removable, so the override decides its container: ",
    "the override changes nothing on it: it does not report itself removable, so it takes the container of the device above it",
    "whether the override can change it cannot be told, since its capabilities cannot be read; its container: ",
};
static_assert(OneForEach(kEffects, OverrideEffect::CannotTell), "one text for each value");

constexpr const char* kContainers[] = {"in the computer's container", "in a container of its own",
                                       "cannot tell"};
static_assert(OneForEach(kContainers, Container::CannotTell), "one text for each value");

// A device's name as shown, or what stands for it where it has none.
Text DeviceName(Text shown) {
  static constexpr char kNoDescription[] = "a device without a description";
  return shown.length != 0 ? shown : Text{kNoDescription, sizeof kNoDescription - 1};
}

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

// Where a file really lies, elsewhere than it was named.
void WriteRealPlace(ReportLine& line, const char* realPath) {
  if (realPath[0] == '\0') {
    line.Own("really lies at a path too long to be read");
    return;
  }
  line.Own("really lies at ").Outside(realPath);
  line.Own(" (reached through a link, or a drive letter that stands for another place)");
}

// Where the exe really lies, where that is not where it was named.
void WriteExePlaceLine(ReportOut& out, const SettingsReport& report) {
  const SettingsFindings& findings = *report.findings;
  if (findings.exePlace == Whereabouts::AsNamed) {
    return;
  }
  ReportLine line(out, "exe");
  if (findings.exePlace == Whereabouts::Unknown) {
    line.Own("where it really lies cannot be told: ").Outside(report.exePlaceMessage).Own(" (error ");
    line.Number(findings.exeError).Own("); it is judged where it was named");
  } else {
    WriteRealPlace(line, findings.exeRealPath);
  }
}

void WriteSettingsFileLine(ReportOut& out, const SettingsReport& report) {
  const SettingsFindings& findings = *report.findings;
  if (findings.settingsPath[0] == '\0') {
    return;
  }
  ReportLine line(out, "settings file");
  line.Outside(findings.settingsPath).Own(": ").Own(Wording(kSettingsFileStates, findings.file));
  const bool withError = findings.file == SettingsFile::Unreadable ||
                         (findings.file == SettingsFile::Present &&
                          (report.refusal == Refusal::SettingsPlaceUnknown || report.refusal == Refusal::SettingsReadFailed));
  switch (findings.file == SettingsFile::Present ? report.refusal : Refusal::None) {
    case Refusal::SettingsElsewhere:
      if (report.settingsPlaceDiffersInCase) {
        line.Own(", but where it really lies, ").Outside(findings.realPath);
        line.Own(", differs from its name only in the case of letters outside ASCII, which the exe "
                 "compares exactly: write the name as it stands on disk");
      } else {
        line.Own(", but it ");
        WriteRealPlace(line, findings.realPath);
      }
      break;
    case Refusal::SettingsPlaceUnknown:
      line.Own(", but where it really lies cannot be told: ");
      break;
    case Refusal::SettingsTooLarge:
      line.Own(", but it holds ").Number(findings.fileSize);
      line.Own(" bytes, more than the 16 MiB a settings file may hold, so it is not read");
      break;
    case Refusal::SettingsReadFailed:
      line.Own(", but the profile reader could not read it: ");
      break;
    default:
      break;
  }
  if (withError) {
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
      line.Own(", the built-in default: the settings file has no [Settings] section, or no DevID in the first one");
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
  if (report.wideValueOutsideAscii) {
    ReportLine(out, "warning").Own(
        "the settings file is UTF-16 and its value holds letters outside ASCII, which the exe's ANSI "
        "read turns into look-alikes: the value above is what the exe reads");
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
    case Refusal::RealFolderUntrusted:
      WriteDistrust(line, report.realFolder);
      break;
    case Refusal::ExeUntrusted:
      WriteDistrust(line, report.exe);
      break;
    case Refusal::SettingsUntrusted:
      WriteDistrust(line, report.settings);
      break;
    case Refusal::SettingsElsewhere:
      line.Own(report.settingsPlaceDiffersInCase
                   ? "the settings file's name differs from its name on disk in the case of letters outside ASCII"
                   : Wording(kReasons, report.refusal));
      break;
    default:
      line.Own(Wording(kReasons, report.refusal));
      break;
  }
}

// The device above a device whose container the override does not decide.
void WriteParent(ReportLine& line, const ParentFacts& parent) {
  switch (parent.read) {
    case ParentRead::Listed:
      line.Own("; mark that one instead: \"").Outside(DeviceName(parent.name));
      line.Own("\" (").Outside(parent.mostSpecificId).Own(")");
      break;
    case ParentRead::InstanceOnly:
      line.Own("; mark that one instead: ").Outside(parent.instance);
      break;
    default:
      line.Own(", which cannot be read");
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

ReportLine& ReportLine::Number(unsigned long long number) {
  char digits[24];
  std::size_t start = sizeof digits;
  do {
    digits[--start] = static_cast<char>('0' + number % 10U);
    number /= 10U;
  } while (number != 0 && start > 0);
  out_.Write(digits + start, sizeof digits - start);
  return *this;
}

int WriteCannotJudge(ReportOut& out, CannotJudge why, const char* shownExe, const char* systemMessage,
                     unsigned long error) {
  ReportLine line(out, why == CannotJudge::Usage ? "usage" : "notremovable-check");
  line.Own(Wording(kCannotJudge, why));
  if (why != CannotJudge::Usage) {
    line.Outside(shownExe);
  }
  if (why == CannotJudge::Unreadable) {
    line.Own(": ").Outside(systemMessage).Own(" (error ").Number(error).Own(")");
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
  WriteExePlaceLine(out, report);
  WriteTrustLines(out, "real folder", report.realFolder, report.accountName);
  WriteTrustLines(out, "exe", report.exe, report.accountName);
  WriteTrustLines(out, "settings file", report.settings, report.accountName);
  WriteValueLines(out, report);
}

void WriteKeyLines(ReportOut& out, const char* keyPath, const char* windowsKeyPath, KeyReach reach,
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
  if (reach == KeyReach::NoId) {
    ReportLine(out, "warning")
        .Own("Windows looks up an override for this ID only under the ID with every \\ as #, ")
        .Own(kRootKeyName).Own("\\").Outside(windowsKeyPath)
        .Own("; the exe writes another key, which Windows never reads: no ID leads to a key with a further level");
  } else if (reach == KeyReach::AnotherSpelling) {
    // The ID that leads there, as Windows writes it: the key's level with the
    // "#" after the enumerator as the "\\" it stands for.
    const Text level = OverrideKeyLevel(keyPath);
    ReportLine(out, "warning")
        .Own("the value is not written as a hardware ID: Windows reads the exe's key for the ID ")
        .Outside({level.text, kEnumeratorLength}).Own("\\")
        .Outside({level.text + kDevicePartStart, level.length - kDevicePartStart})
        .Own(", and so the override marks the devices with that ID");
  }
}

void WriteDeviceLine(ReportOut& out, const DeviceFacts& device) {
  ReportLine line(out, "device");
  const Text name = DeviceName(device.shownName);
  if (device.match == IdMatch::InstancePath) {
    line.Own(Wording(kMatches, device.match)).Outside(name)
        .Own("\", not a hardware ID; its hardware ID is ").Outside(device.shownMostSpecificId);
    return;
  }
  line.Own("\"").Outside(name).Own("\"").Own(device.presentNow ? "" : " (not present now)");
  line.Own(": ").Own(Wording(kMatches, device.match));
  if (device.match == IdMatch::LessSpecific) {
    line.Outside(device.shownMostSpecificId);
  }
  const OverrideEffect effect = JudgeOverrideEffect(device.capability);
  line.Own("; ").Own(Wording(kEffects, effect));
  if (effect == OverrideEffect::ChangesNothing) {
    WriteParent(line, device.parent);
  } else {
    line.Own(Wording(kContainers, JudgeContainer(device.container)));
  }
}

void WriteDeviceSummary(ReportOut& out, const DeviceTally& tally) {
  if (!tally.listed) {
    ReportLine(out, "devices").Own("the devices cannot be listed");
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
  if (tally.ofItsOwn > 0) {
    ReportLine(out, "note").Own(
        "Windows applies the override when it next sets the device up: restart (with Fast Startup, "
        "Shut down and power on is not enough) or replug it; if it stays in a container of its own after "
        "that, its bus supplies its container, which the override does not change");
  }
  if (tally.notPresent > 0) {
    ReportLine(out, "note").Own(
        "a device not present now keeps the container it had when it was last set up; the override "
        "applies when it is next connected");
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
