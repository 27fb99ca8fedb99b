// Every sentence the check program says, one catalogue row each: the label of
// its line (none for a clause that stands inside another sentence), the
// stable code the JSON form gives it (where it gives one), and its text with
// a slot "{}" for each text from outside, number or clause put into it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "check/target.h"
#include "check/verdict.h"
#include "rules/paths.h"
#include "rules/settings.h"
#include "rules/text.h"
#include "rules/trust.h"

namespace notremovable {

enum class Row : std::uint8_t {
  // What the check cannot judge: one line on stderr.
  Usage, NoSuchExe, TargetFolder, TargetDevice, NotAProgram, TargetUnreadable,
  TargetTruncated, TargetOtherMachine, TargetDll, TargetNotConsole,
  UnknownOption, OptionTwice, OptionAfterExe, ReportNotWritten,
  // Where it runs.
  Judging, Account, AccountUnknown,
  WindowsUnknown, Windows32, Windows64, Windows64Native,
  // What stands at the settings path.
  SettingsNotLooked, SettingsMissing, SettingsFolder, SettingsPresent, SettingsUnreadable,
  SettingsHeld, SettingsLinkToNothing,
  SettingsElsewhereInCase, SettingsElsewhere, SettingsPlaceUnknown, SettingsTooLarge, SettingsReadFailed,
  RealPlace, RealPlaceTooLong,
  // Who may change the objects: each object's line holds a trust clause.
  FolderLine, RealFolderLine, ExeLine, SettingsFileLine,
  ExePlaceUnknown,
  Trusted, OwnerUntrusted, WriterUntrusted, EntryUnread, NoDacl, TrustUnreadable,
  // The value.
  Value, ValueDefault, ValueDefaultNoDevId,
  // The key, and what stands there now.
  Key, KeyAbsent, KeyUnreadable, KeyWithoutValue, KeyMarked, KeyOtherDword, KeyOtherType,
  // Each device, and the devices.
  DeviceInstancePath, DevicePresent, DeviceNotPresent,
  MostSpecific, LessSpecific, Compatible,
  DecidesContainer, ChangesNothing, EffectCannotTell,
  ContainerComputers, ContainerOwn, ContainerCannotTell,
  ParentListed, ParentInstance, ParentUnknown, QuotedName, NoDescription, TooLongToShow,
  DevicesUnlisted, DevicesNone, DevicesOne, DevicesMany, UnreadableIds,
  // The warnings and notes, in the order of Notice.
  FolderTrustedOnlyForAccount, RealFolderTrustedOnlyForAccount, ExeTrustedOnlyForAccount,
  SettingsTrustedOnlyForAccount, ValueSpace, ValueSemicolon, ValueOutsideAscii, WideValueOutsideAscii,
  ValueThirdPart, KeyNeverRead, KeyEmptyLevel, KeyForAnotherSpelling, ReachesOtherKinds, RestartOrReplug, NotPresent,
  // Codes the JSON form gives where the text form words the facts otherwise:
  // an outcome, the override's effect on this PC, where the exe really lies.
  OutcomeCannotJudge, SummaryNoDevice, SummaryInEffect, SummaryPending, SummaryCannotTell,
  PlaceAsNamed, PlaceElsewhere, PlaceUnknown,
  // The verdict, and its reasons.
  WouldMark, WouldDoNothing,
  IdTooShort, ExePathTooLong, ExeLongPathUnknown, ExePathNotExact, ReadsMayGoElsewhere,
  SettingsPathTooLong, AccountUnreadable, FolderUntrusted, ExeRealPathTooLong, RealFolderUntrusted,
  ExeUntrusted, SettingsUntrusted, ReasonSettingsUnreadable, ReasonSettingsHeld,
  ReasonSettingsLinkToNothing, ReasonSettingsElsewhere, ReasonSettingsPlaceUnknown,
  ReasonSettingsTooLarge, ReasonSettingsReadFailed, ValueTooLong, SettingsNameCase,
  ReasonUsage, ReasonNoSuchExe, ReasonTargetFolder, ReasonTargetDevice, ReasonNotAProgram,
  ReasonTargetUnreadable, ReasonTargetTruncated, ReasonTargetOtherMachine, ReasonTargetDll, ReasonTargetNotConsole,
};

struct CatalogueRow {
  Row row;
  const char* label;  // null: a clause
  const char* code;   // null where the JSON form writes none
  const char* text;
};
const CatalogueRow& RowOf(Row row);

// The rows that word a reason, a notice, a kind of Windows, what stands at
// the settings path, a trust verdict, the key now, and the rest that the
// JSON form gives a code: every code it writes comes from one of them.
Row ReasonRow(Reason reason);
Row NoticeRow(Notice notice);
Row WindowsRow(WindowsKind windows);
Row SettingsFileRow(SettingsFile file);
Row TrustRow(TrustVerdict verdict);
Row KeyNowRow(KeyState state, bool marked);
Row ContainerRow(Container container);
Row EffectRow(OverrideEffect effect);
Row OutcomeRow(Outcome outcome);
Row SummaryEffectRow(Effect effect);
Row PlaceRow(Whereabouts place);
Row MatchRow(IdMatch match);
Row ValueSourceRow(const SettingsFindings& settings);
Row ArgumentProblemRow(ArgumentProblem problem);

// What the most telling write right in the mask lets someone do, worded to
// stand between a name and the object's path ("add files to"); null when
// the mask holds no write right.
const char* WriteRightPhrase(std::uint32_t mask, bool onFolder);

// A sentence: its row and what fills its slots, in order.
struct Sentence;
enum class SlotKind : std::uint8_t { Own, Outside, OutsideWide, Number, Clause };
struct Slot {
  SlotKind kind;
  Text text;
  WideText wide;
  unsigned long long number;
  const Sentence* clause;
};
inline constexpr std::size_t kMaxSlots = 3;
struct Sentence {
  Row row;
  Slot slots[kMaxSlots];
};

Slot Own(const char* text);
Slot Outside(Text text);
Slot Outside(const char* text);  // null: empty
Slot Outside(WideText text);
Slot Outside(const wchar_t* text);  // null: empty
Slot Number(unsigned long long number);
Slot Clause(const Sentence& clause);

// A number in decimal digits, at the end of the field (the largest takes
// 20); the index of its first digit.
inline constexpr std::size_t kDecimalFieldSize = 20;
std::size_t WriteDecimal(unsigned long long number, char (&digits)[kDecimalFieldSize]);

// Where a filled sentence goes: the program's own text as it is, text from
// outside escaped as the form needs.
class SentenceSink {
 public:
  virtual void Own(Text text) = 0;
  virtual void Outside(Text text) = 0;
  virtual void Outside(WideText text) = 0;
  virtual void Number(unsigned long long number) = 0;

 protected:
  SentenceSink() = default;
  ~SentenceSink() = default;
  SentenceSink(const SentenceSink&) = default;
  SentenceSink& operator=(const SentenceSink&) = default;
};
// The row's text with its slots filled, clauses within it too.
void Fill(SentenceSink& sink, const Sentence& sentence);

// Who may change an object, as a clause: "trusted (...)", or why it is not
// ("BUILTIN\Users may add files to C:\Tools\").
Sentence TrustClause(const NamedFinding& named);

// Why the exe would do nothing, or the check cannot judge: the reason's
// sentence, with the clause it holds.
struct ReasonWording {
  Sentence clause;
  Sentence reason;
};
void WordReason(const Findings& findings, Reason reason, ReasonWording& wording);

}  // namespace notremovable
