// The check program's verdict: every decision it makes, from the record of
// findings alone. What the exe would do and why, the status it would end
// with, whether the PC complies, which warnings and notes apply, and what
// the override does to each device the key reaches. Pure: the renderers and
// the entry ask it, and nothing else in the check decides.
#pragma once

#include <cstddef>
#include <cstdint>

#include "check/devices.h"
#include "check/findings.h"
#include "rules/text.h"

namespace notremovable {

// The check's own status where it cannot judge the exe; else the exe's.
inline constexpr int kExitCannotJudge = 2;
// With --compliance: the exe acts on a trusted ID and its key already holds
// Removable REG_DWORD 0; anything else that can be judged; or cannot judge.
inline constexpr int kExitCompliant = 0;
inline constexpr int kExitNotCompliant = 1;

enum class Outcome : std::uint8_t { WouldMark, WouldDoNothing, CannotJudge };

// Why: the one reason for each way the exe would do nothing or the check
// cannot judge. Named by the catalogue, which words each and gives its code.
enum class Reason : std::uint8_t {
  None,  // it would mark
  IdTooShort,
  ExePathTooLong,
  ExeLongPathUnknown,
  ExePathNotExact,
  ReadsMayGoElsewhere,
  SettingsPathTooLong,
  AccountUnknown,
  FolderUntrusted,
  ExeRealPathTooLong,
  RealFolderUntrusted,
  ExeUntrusted,
  SettingsUntrusted,
  SettingsUnreadable,
  SettingsHeld,
  SettingsLinkToNothing,
  SettingsElsewhere,
  SettingsPlaceUnknown,
  SettingsTooLarge,
  SettingsReadFailed,
  ValueTooLong,
  SettingsNameCase,  // elsewhere only by the case of letters outside ASCII
  // What the check was given cannot be judged.
  Usage,
  NoSuchExe,
  TargetFolder,
  TargetDevice,
  NotAProgram,
  TargetUnreadable,
  // A program that would not run as the exe does.
  TargetTruncated,
  TargetOtherMachine,
  TargetDll,
  TargetNotConsole,
};

// The warnings and notes, in the order the text report gives them.
enum class Notice : std::uint8_t {
  FolderTrustedOnlyForAccount,
  RealFolderTrustedOnlyForAccount,
  ExeTrustedOnlyForAccount,
  SettingsTrustedOnlyForAccount,
  ValueSpace,
  ValueSemicolon,
  ValueOutsideAscii,
  WideValueOutsideAscii,
  ValueThirdPart,
  KeyNeverRead,
  KeyEmptyLevel,
  KeyForAnotherSpelling,
  ReachesOtherKinds,
  RestartOrReplug,
  NotPresent,
};
inline constexpr std::size_t kNoticeCount = static_cast<std::size_t>(Notice::NotPresent) + 1;
// Notes tell when the override applies; the rest are warnings.
bool IsNote(Notice notice);

// Whom the exe's key is for: the configured ID itself; another spelling of an
// ID that leads to it (USB/... or USB_... for USB\...); or no ID at all, since
// it has a further level that no ID with every backslash as "#" has.
enum class KeyReach : std::uint8_t { TheId, AnotherSpelling, NoId };
KeyReach JudgeKeyReach(Text exeKeyLevel, Text windowsKeyLevel);
// Whether the key has an empty level (the ID ends with a backslash, or holds
// two in a row). What Windows does with one is not documented: it may refuse
// the key, or, as Wine does, merge the level away and write the key of the ID
// without it; where it reads the override, and so whether it is in effect,
// cannot be told.
bool HasEmptyLevel(Text exeKeyLevel);
// The key level as Wine writes one with empty levels, merged away: no
// backslash at either end, none twice in a row. Its length, in the field.
std::size_t MergedKeyLevel(Text exeKeyLevel, char* field, std::size_t fieldSize);

// Which container Windows says a device is in.
enum class Container : std::uint8_t { TheComputers, OfItsOwn, CannotTell };
Container JudgeContainer(const ContainerFacts& container);

// What the override does to a device. Windows gives a device the container
// its bus supplies; otherwise one of its own when it reports itself
// removable, and else its parent's. The override only makes the device count
// as not removable, so it decides only where the device reports itself removable.
enum class OverrideEffect : std::uint8_t {
  DecidesContainer,
  ChangesNothing,  // it takes the container of the device above it anyway
  CannotTell       // its capabilities cannot be read
};
OverrideEffect JudgeOverrideEffect(Capability capability);

// One device, judged.
struct DeviceVerdict {
  OverrideEffect effect;
  Container container;
  // Present, the override decides its container, and it is still in one of
  // its own: a restart or replug is pending.
  bool pending;
  // The override changes nothing on it, and the device above it can be
  // named: mark that one instead.
  bool markInstead;
};
DeviceVerdict JudgeDevice(const DeviceFacts& device);

// Counts a device the walk hands over.
void CountDevice(DeviceTally& tally, const DeviceFacts& device);
// Whether the override reaches more than one kind of device: a compatible ID,
// or devices whose most specific IDs differ.
bool ReachesOtherKinds(const DeviceTally& tally);

// What the override does on this PC, beside compliance: for the present
// devices whose container it decides, all in the computer's container, some
// still in their own (a restart or replug is pending), or where some are
// cannot be told; or there is no such device.
enum class Effect : std::uint8_t { NoDevice, InEffect, Pending, CannotTell };

// What the settings file's line says: what stands at its path as it stands,
// or why it is refused, where it is present but refused.
enum class SettingsLine : std::uint8_t {
  AsItStands, Unreadable, ElsewhereInCase, Elsewhere, PlaceUnknown, TooLarge, ReadFailed,
};

struct Verdict {
  Outcome outcome;
  Reason reason;
  int exeStatus;         // what the exe would end with, or kExitCannotJudge
  bool compliant;
  int complianceStatus;  // kExitCompliant, kExitNotCompliant or kExitCannotJudge
  KeyReach reach;        // where the key is composed
  bool keyMarked;        // it holds Removable REG_DWORD 0
  // The value was read (whether or not the exe would take it): it is told.
  bool valueRead;
  // The settings findings' error says why: the file is unreadable, where it
  // lies cannot be told, or the profile reader failed on it.
  bool settingsErrorTold;
  SettingsLine settingsLine;
  Effect effect;
  // Every device listed: those the key reaches, and the one whose instance
  // path the ID is, which the key does not reach but the report names.
  std::size_t devicesListed;
  bool notices[kNoticeCount];
  // Each kept device, judged, in the order the record keeps them.
  DeviceVerdict devices[DeviceStore::kMostKept];
};
// Whether the exe would mark: where it would, the check composes its key and
// walks the devices, before it decides.
bool WouldMark(const Findings& findings);

// Decides, once, from the whole record.
Verdict Decide(const Findings& findings);

// The check's exit status: the exe's, or with --compliance the compliance status.
int ExitStatus(const Verdict& verdict, bool compliance);

}  // namespace notremovable
