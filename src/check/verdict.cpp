// The verdict's decisions, each made once, from the record alone.
#include "check/verdict.h"

#include "rules/device_id.h"
#include "rules/exit_status.h"
#include "rules/override_key.h"

namespace notremovable {
namespace {

// Each refusal of the settings reader as the reason the exe would do nothing,
// and each way the check cannot judge its target as its reason, named case by
// case: the compiler holds each switch to every value of its enum.
Reason ReasonOf(Refusal refusal) {
  switch (refusal) {
    case Refusal::None:
      return Reason::None;
    case Refusal::ExePathTooLong:
      return Reason::ExePathTooLong;
    case Refusal::ExeLongPathUnknown:
      return Reason::ExeLongPathUnknown;
    case Refusal::ExePathNotExact:
      return Reason::ExePathNotExact;
    case Refusal::ReadsMayGoElsewhere:
      return Reason::ReadsMayGoElsewhere;
    case Refusal::SettingsPathTooLong:
      return Reason::SettingsPathTooLong;
    case Refusal::AccountUnknown:
      return Reason::AccountUnknown;
    case Refusal::FolderUntrusted:
      return Reason::FolderUntrusted;
    case Refusal::ExeRealPathTooLong:
      return Reason::ExeRealPathTooLong;
    case Refusal::RealFolderUntrusted:
      return Reason::RealFolderUntrusted;
    case Refusal::ExeUntrusted:
      return Reason::ExeUntrusted;
    case Refusal::SettingsUntrusted:
      return Reason::SettingsUntrusted;
    case Refusal::SettingsUnreadable:
      return Reason::SettingsUnreadable;
    case Refusal::SettingsHeld:
      return Reason::SettingsHeld;
    case Refusal::SettingsLinkToNothing:
      return Reason::SettingsLinkToNothing;
    case Refusal::SettingsElsewhere:
      return Reason::SettingsElsewhere;
    case Refusal::SettingsPlaceUnknown:
      return Reason::SettingsPlaceUnknown;
    case Refusal::SettingsTooLarge:
      return Reason::SettingsTooLarge;
    case Refusal::SettingsReadFailed:
      return Reason::SettingsReadFailed;
    case Refusal::ValueTooLong:
      return Reason::ValueTooLong;
  }
  return Reason::None;  // no other value
}

Reason ReasonOf(CannotJudge cannotJudge) {
  switch (cannotJudge) {
    case CannotJudge::None:
      return Reason::None;
    case CannotJudge::Usage:
      return Reason::Usage;
    case CannotJudge::NoSuchExe:
      return Reason::NoSuchExe;
    case CannotJudge::Folder:
      return Reason::TargetFolder;
    case CannotJudge::Device:
      return Reason::TargetDevice;
    case CannotJudge::NotAProgram:
      return Reason::NotAProgram;
    case CannotJudge::Unreadable:
      return Reason::TargetUnreadable;
    case CannotJudge::Truncated:
      return Reason::TargetTruncated;
    case CannotJudge::OtherMachine:
      return Reason::TargetOtherMachine;
    case CannotJudge::Dll:
      return Reason::TargetDll;
    case CannotJudge::NotConsole:
      return Reason::TargetNotConsole;
  }
  return Reason::None;  // no other value
}

Reason ReasonFor(const Findings& findings) {
  const CannotJudge cannotJudge = JudgeTarget(findings.target);
  if (cannotJudge != CannotJudge::None) {
    return ReasonOf(cannotJudge);
  }
  if (findings.refusal == Refusal::SettingsElsewhere && findings.settingsPlaceDiffersInCase) {
    return Reason::SettingsNameCase;
  }
  if (findings.refusal != Refusal::None) {
    return ReasonOf(findings.refusal);
  }
  return findings.deviceId != nullptr && IsDeviceIdActedOn(*findings.deviceId) ? Reason::None
                                                                             : Reason::IdTooShort;
}

// The GUID Windows gives the computer's own container:
// {00000000-0000-0000-FFFF-FFFFFFFFFFFF}.
bool IsLocalMachineContainer(const std::uint8_t (&id)[16]) {
  for (std::size_t i = 0; i < sizeof id; ++i) {
    if (id[i] != (i < 8 ? 0x00U : 0xFFU)) {
      return false;
    }
  }
  return true;
}

void Note(Verdict& verdict, Notice notice, bool applies) {
  verdict.notices[static_cast<std::size_t>(notice)] = applies;
}

bool TrustedOnlyForAccount(const NamedFinding& named) {
  return named.finding != nullptr && named.finding->verdict == TrustVerdict::Trusted &&
         named.withoutAccount != TrustVerdict::Trusted && named.withoutAccount != TrustVerdict::NotChecked;
}

SettingsLine SettingsLineFor(const Findings& findings) {
  const SettingsFile file = findings.settings->file;
  if (file == SettingsFile::Unreadable) {
    return SettingsLine::Unreadable;
  }
  if (file != SettingsFile::Present) {
    return SettingsLine::AsItStands;
  }
  switch (findings.refusal) {
    case Refusal::SettingsElsewhere:
      return findings.settingsPlaceDiffersInCase ? SettingsLine::ElsewhereInCase : SettingsLine::Elsewhere;
    case Refusal::SettingsPlaceUnknown:
      return SettingsLine::PlaceUnknown;
    case Refusal::SettingsTooLarge:
      return SettingsLine::TooLarge;
    case Refusal::SettingsReadFailed:
      return SettingsLine::ReadFailed;
    default:
      return SettingsLine::AsItStands;
  }
}

// What the settings lines warn of: objects trusted only for this account, and
// what the value holds that a hardware ID never does, where it was read.
void NoteSettings(const Findings& findings, Verdict& verdict) {
  if (findings.settings == nullptr) {
    return;
  }
  Note(verdict, Notice::FolderTrustedOnlyForAccount, TrustedOnlyForAccount(findings.folder));
  Note(verdict, Notice::RealFolderTrustedOnlyForAccount, TrustedOnlyForAccount(findings.realFolder));
  Note(verdict, Notice::ExeTrustedOnlyForAccount, TrustedOnlyForAccount(findings.exe));
  Note(verdict, Notice::SettingsTrustedOnlyForAccount, TrustedOnlyForAccount(findings.settingsFile));
  verdict.settingsLine = SettingsLineFor(findings);
  verdict.settingsErrorTold = verdict.settingsLine == SettingsLine::Unreadable ||
                              verdict.settingsLine == SettingsLine::PlaceUnknown ||
                              verdict.settingsLine == SettingsLine::ReadFailed;
  verdict.valueRead = findings.refusal == Refusal::None || findings.refusal == Refusal::ValueTooLong;
  if (!verdict.valueRead) {
    return;
  }
  const char* const value = findings.settings->value;
  const IdOddities odd = FindIdOddities(value, LengthOf(value));
  Note(verdict, Notice::ValueSpace, odd.space);
  Note(verdict, Notice::ValueSemicolon, odd.semicolon);
  Note(verdict, Notice::ValueOutsideAscii, odd.outsideAscii);
  Note(verdict, Notice::WideValueOutsideAscii,
       findings.settings->file == SettingsFile::Present && findings.wideValueOutsideAscii);
  Note(verdict, Notice::ValueThirdPart, odd.thirdPart);
}

Effect JudgeEffect(const DeviceTally& tally) {
  if (tally.inComputers + tally.pending + tally.containerUnknown == 0) {
    return Effect::NoDevice;
  }
  if (tally.pending > 0) {
    return Effect::Pending;
  }
  return tally.containerUnknown > 0 ? Effect::CannotTell : Effect::InEffect;
}

}  // namespace

bool IsNote(Notice notice) { return notice == Notice::RestartOrReplug || notice == Notice::NotPresent; }

KeyReach JudgeKeyReach(Text exeKeyLevel, Text windowsKeyLevel) {
  for (std::size_t i = 0; i < exeKeyLevel.length; ++i) {
    if (exeKeyLevel.text[i] == '\\') {
      return KeyReach::NoId;
    }
  }
  return IsSameText(exeKeyLevel, windowsKeyLevel) ? KeyReach::TheId : KeyReach::AnotherSpelling;
}

bool HasEmptyLevel(Text exeKeyLevel) {
  for (std::size_t i = 0; i < exeKeyLevel.length; ++i) {
    const bool levelEnds = exeKeyLevel.text[i] == '\\';
    if (levelEnds && (i == 0 || i + 1 == exeKeyLevel.length || exeKeyLevel.text[i + 1] == '\\')) {
      return true;
    }
  }
  return false;
}

std::size_t MergedKeyLevel(Text exeKeyLevel, char* field, std::size_t fieldSize) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < exeKeyLevel.length && length < fieldSize; ++i) {
    const bool backslash = exeKeyLevel.text[i] == '\\';
    const bool levelFollows = i + 1 < exeKeyLevel.length && exeKeyLevel.text[i + 1] != '\\';
    if (!backslash || (length > 0 && levelFollows)) {
      field[length++] = exeKeyLevel.text[i];
    }
  }
  return length;
}

Container JudgeContainer(const ContainerFacts& container) {
  if (container.hasInLocalMachine) {
    return container.inLocalMachine ? Container::TheComputers : Container::OfItsOwn;
  }
  if (container.hasContainerId) {
    return IsLocalMachineContainer(container.containerId) ? Container::TheComputers
                                                          : Container::OfItsOwn;
  }
  return Container::CannotTell;
}

OverrideEffect JudgeOverrideEffect(Capability capability) {
  switch (capability) {
    case Capability::Removable:
      return OverrideEffect::DecidesContainer;
    case Capability::NotRemovable:
      return OverrideEffect::ChangesNothing;
    default:
      return OverrideEffect::CannotTell;
  }
}

DeviceVerdict JudgeDevice(const DeviceFacts& device) {
  const OverrideEffect effect = JudgeOverrideEffect(device.capability);
  const Container container = JudgeContainer(device.container);
  return {effect, container,
          device.presentNow && effect == OverrideEffect::DecidesContainer && container == Container::OfItsOwn,
          effect == OverrideEffect::ChangesNothing && device.parent.read != ParentRead::Unknown};
}

void CountDevice(DeviceTally& tally, const DeviceFacts& device) {
  if (device.match == IdMatch::InstancePath) {
    tally.instancePath = true;
    return;
  }
  const WideText first = {tally.firstMostSpecificId, tally.firstMostSpecificLength};
  if (tally.matching == 0) {
    // An ID longer than the field is kept cut, and so differs from every other.
    std::size_t kept = 0;
    for (; kept < device.mostSpecificId.length && kept + 1 < kTalliedIdFieldSize; ++kept) {
      tally.firstMostSpecificId[kept] = device.mostSpecificId.text[kept];
    }
    tally.firstMostSpecificLength = kept;
    tally.mostSpecificIdsDiffer = kept != device.mostSpecificId.length;
  } else if (!IsSameAsciiText(first, device.mostSpecificId)) {
    tally.mostSpecificIdsDiffer = true;
  }
  ++tally.matching;
  tally.compatible += device.match == IdMatch::Compatible ? 1U : 0U;
  const DeviceVerdict judged = JudgeDevice(device);
  const bool decides = judged.effect == OverrideEffect::DecidesContainer;
  tally.ofItsOwn += decides && judged.container == Container::OfItsOwn ? 1U : 0U;
  tally.notPresent += device.presentNow ? 0U : 1U;
  if (decides && device.presentNow) {
    tally.inComputers += judged.container == Container::TheComputers ? 1U : 0U;
    tally.pending += judged.pending ? 1U : 0U;
    tally.containerUnknown += judged.container == Container::CannotTell ? 1U : 0U;
  }
}

bool ReachesOtherKinds(const DeviceTally& tally) {
  return tally.compatible > 0 || (tally.matching > 1 && tally.mostSpecificIdsDiffer);
}

bool WouldMark(const Findings& findings) { return ReasonFor(findings) == Reason::None; }

Verdict Decide(const Findings& findings) {
  Verdict verdict = {};
  // Each device the record keeps, whatever the outcome.
  const DeviceStore& store = findings.deviceStore;
  for (std::size_t i = 0; i < store.count; ++i) {
    verdict.devices[i] = JudgeDevice(store.kept[i]);
  }
  verdict.reason = ReasonFor(findings);
  verdict.devicesListed = findings.devices.matching + (findings.devices.instancePath ? 1U : 0U);
  if (JudgeTarget(findings.target) != CannotJudge::None) {
    verdict.outcome = Outcome::CannotJudge;
    verdict.exeStatus = verdict.complianceStatus = kExitCannotJudge;
    return verdict;
  }
  NoteSettings(findings, verdict);
  if (verdict.reason != Reason::None) {
    verdict.outcome = Outcome::WouldDoNothing;
    verdict.exeStatus = kExitIdRefused;
    verdict.complianceStatus = kExitNotCompliant;
    return verdict;
  }
  verdict.outcome = Outcome::WouldMark;
  verdict.exeStatus = kExitWriteAttempted;
  bool emptyLevel = false;
  if (findings.keyPath != nullptr && findings.windowsKeyPath != nullptr) {
    const Text level = OverrideKeyLevel(findings.keyPath);
    verdict.reach = JudgeKeyReach(level, OverrideKeyLevel(findings.windowsKeyPath));
    emptyLevel = HasEmptyLevel(level);
    Note(verdict, Notice::KeyNeverRead, verdict.reach == KeyReach::NoId && !emptyLevel);
    Note(verdict, Notice::KeyEmptyLevel, emptyLevel);
    Note(verdict, Notice::KeyForAnotherSpelling, verdict.reach == KeyReach::AnotherSpelling);
    verdict.keyMarked = findings.keyNow.state == KeyState::Dword && findings.keyNow.data == kRemovableData;
  }
  // Where Windows reads an override of an empty level cannot be told: never compliant.
  verdict.compliant = verdict.keyMarked && !emptyLevel;
  verdict.complianceStatus = verdict.compliant ? kExitCompliant : kExitNotCompliant;
  const DeviceTally& tally = findings.devices;
  if (tally.listed) {
    Note(verdict, Notice::ReachesOtherKinds, ReachesOtherKinds(tally));
    Note(verdict, Notice::RestartOrReplug, tally.ofItsOwn > 0);
    Note(verdict, Notice::NotPresent, tally.notPresent > 0);
  }
  verdict.effect = JudgeEffect(tally);
  return verdict;
}

int ExitStatus(const Verdict& verdict, bool compliance) {
  return compliance ? verdict.complianceStatus : verdict.exeStatus;
}

}  // namespace notremovable
