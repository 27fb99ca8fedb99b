// The check program's report, line by line.
#include "check_report.h"

#include "override_key.h"
#include "trust_rule.h"

namespace notremovable {
namespace {

std::size_t LengthOf(const char* text) {
  std::size_t length = 0;
  while (text[length] != '\0') {
    ++length;
  }
  return length;
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

void WriteSettingsFileLine(ReportOut& out, const SettingsReport& report) {
  const SettingsFindings& findings = *report.findings;
  if (findings.settingsPath[0] == '\0') {
    return;
  }
  ReportLine line(out, "settings file");
  line.Outside(findings.settingsPath).Own(": ");
  switch (findings.file) {
    case SettingsFile::NotLooked:
      line.Own("not looked at, since an earlier check refuses");
      break;
    case SettingsFile::Present:
      line.Own("present");
      if (report.refusal == Refusal::SettingsElsewhere) {
        if (findings.realPath[0] != '\0') {
          line.Own(", but it really lies at ").Outside(findings.realPath);
          line.Own(" (reached through a link, or a drive letter that stands for another place)");
        } else {
          line.Own(", but where it really lies cannot be read");
        }
      }
      break;
    case SettingsFile::Missing:
      line.Own("missing, so the built-in default applies");
      break;
    case SettingsFile::Folder:
      line.Own("a folder stands at that name, so the built-in default applies");
      break;
    case SettingsFile::Held:
      line.Own("held open by a program that is writing it (or that does not share reading)");
      break;
    case SettingsFile::LinkToNothing:
      line.Own("a link to nothing (its target is missing)");
      break;
    default:
      line.Own("unreadable: ").Outside(report.systemMessage).Own(" (error ");
      line.Number(findings.error).Own(")");
      break;
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
    case Refusal::ExePathNotExact:
      line.Own("the exe's path is 256 characters or longer, or has letters that the ANSI code "
               "page cannot write exactly");
      break;
    case Refusal::ReadsMayGoElsewhere:
      line.Own("on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where "
               "Windows redirects what it reads");
      break;
    case Refusal::SettingsPathTooLong:
      line.Own("the settings file's path would be 256 characters or longer");
      break;
    case Refusal::AccountUnknown:
      line.Own("the account it runs as cannot be read");
      break;
    case Refusal::FolderUntrusted:
      WriteDistrust(line, report.folder);
      break;
    case Refusal::ExeUntrusted:
      WriteDistrust(line, report.exe);
      break;
    case Refusal::SettingsUntrusted:
      WriteDistrust(line, report.settings);
      break;
    case Refusal::SettingsUnreadable:
      line.Own("the settings file cannot be read");
      break;
    case Refusal::SettingsHeld:
      line.Own("the settings file is held open by a program that is writing it");
      break;
    case Refusal::SettingsLinkToNothing:
      line.Own("the settings file is a link to nothing");
      break;
    case Refusal::SettingsElsewhere:
      line.Own("the settings file really lies elsewhere than its name says");
      break;
    case Refusal::ValueTooLong:
      line.Own("the value is longer than ").Number(kLongestDeviceId).Own(" characters");
      break;
    default:
      line.Own("the ID is shorter than ").Number(kShortestDeviceId).Own(" characters");
      break;
  }
}

const char* MatchWording(IdMatch match) {
  switch (match) {
    case IdMatch::MostSpecific:
      return "its most specific hardware ID";
    case IdMatch::LessSpecific:
      return "a less specific hardware ID of it; its most specific is ";
    default:
      return "a compatible ID of it";
  }
}

const char* EffectWording(OverrideEffect effect) {
  switch (effect) {
    case OverrideEffect::InEffect:
      return "in effect";
    case OverrideEffect::NotYet:
      return "not in effect yet";
    default:
      return "cannot tell";
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

ReportLine& ReportLine::Outside(TextSpan text) {
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
  ReportLine(out, "windows").Own(windows == WindowsKind::Unknown  ? "cannot tell 32-bit from 64-bit"
                                 : windows == WindowsKind::Bits64 ? "64-bit (the exe runs under WOW64)"
                                                                  : "32-bit");
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
  if (LengthOf(keyPath) != LengthOf(windowsKeyPath) ||
      !IsSameId({keyPath, LengthOf(keyPath)}, {windowsKeyPath, LengthOf(windowsKeyPath)})) {
    ReportLine(out, "warning")
        .Own("Windows looks up an override for this ID only under the ID with every \\ as #, ")
        .Own(kRootKeyName).Own("\\").Outside(windowsKeyPath)
        .Own("; the exe writes another key, which Windows never reads for it");
  }
}

void WriteDeviceLine(ReportOut& out, const DeviceFacts& device) {
  ReportLine line(out, "device");
  line.Own("\"").Outside(device.name).Own("\"").Own(device.presentNow ? "" : " (not present now)");
  line.Own(": ").Own(MatchWording(device.match));
  if (device.match == IdMatch::LessSpecific) {
    line.Outside(device.mostSpecificId);
  }
  line.Own("; ").Own(EffectWording(device.effect));
}

void WriteInstancePathLine(ReportOut& out, TextSpan name, TextSpan hardwareId) {
  ReportLine(out, "device").Own("this is the instance path of \"").Outside(name)
      .Own("\", not a hardware ID; its hardware ID is ").Outside(hardwareId);
}

void CountDevice(DeviceTally& tally, const DeviceFacts& device) {
  const TextSpan first = {tally.firstMostSpecificId, tally.firstMostSpecificLength};
  if (tally.matching == 0) {
    // An ID longer than the field is kept cut, and so differs from every other.
    std::size_t kept = 0;
    for (; kept < device.mostSpecificId.length && kept + 1 < kTalliedIdFieldSize; ++kept) {
      tally.firstMostSpecificId[kept] = device.mostSpecificId.text[kept];
    }
    tally.firstMostSpecificLength = kept;
    tally.mostSpecificIdsDiffer = kept != device.mostSpecificId.length;
  } else if (!IsSameId(first, device.mostSpecificId)) {
    tally.mostSpecificIdsDiffer = true;
  }
  ++tally.matching;
  tally.compatible += device.match == IdMatch::Compatible ? 1U : 0U;
  tally.notYet += device.effect == OverrideEffect::NotYet ? 1U : 0U;
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
  if (tally.compatible > 0 || (tally.matching > 1 && tally.mostSpecificIdsDiffer)) {
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
