// The catalogue's rows, in the order of Row, and the filling of their slots.
#include "check/catalogue.h"

#include "rules/device_id.h"

namespace notremovable {
namespace {

// The reasons name both bounds and the largest settings file.
static_assert(kShortestDeviceId == 21 && kLongestDeviceId == 254, "the reasons name both bounds");
static_assert(kLargestSettingsFile == std::uint64_t{16} * 1024U * 1024U, "the reasons name the largest settings file");

constexpr char kTrustedOnlyForAccount[] =
    "{} is trusted only because it belongs to {}, who runs this check: run as SYSTEM, the exe would refuse it";

constexpr CatalogueRow kRows[] = {
    {Row::Usage, "usage", nullptr,
     "notremovable-check.exe [--json] [--compliance] [EXE]: tells what notremovable.exe (or the exe named) "
     "would do on this PC, and why"},
    {Row::NoSuchExe, "notremovable-check", nullptr, "no such exe: {}"},
    {Row::TargetFolder, "notremovable-check", nullptr, "a folder, not a program: {}"},
    {Row::TargetDevice, "notremovable-check", nullptr, "a device, not a program: {}"},
    {Row::NotAProgram, "notremovable-check", nullptr, "not a Windows program: {}"},
    {Row::TargetUnreadable, "notremovable-check", nullptr, "cannot be read: {}: {} (error {})"},
    {Row::TargetTruncated, "notremovable-check", nullptr,
     "a program cut short, which Windows would not start: {}"},
    {Row::TargetOtherMachine, "notremovable-check", nullptr,
     "a program for another kind of processor than this build of the exe: {}"},
    {Row::TargetDll, "notremovable-check", nullptr, "a DLL, not a program: {}"},
    {Row::TargetNotConsole, "notremovable-check", nullptr,
     "not a console program, as notremovable.exe is: {}"},
    {Row::UnknownOption, "notremovable-check", nullptr, "unknown option: {}"},
    {Row::OptionTwice, "notremovable-check", nullptr, "option given twice: {}"},
    {Row::OptionAfterExe, "notremovable-check", nullptr, "option after the exe: {}"},
    {Row::ReportNotWritten, "notremovable-check", nullptr,
     "the report could not be written whole (its output is full or closed): its verdict does not stand"},

    {Row::Judging, "judging", nullptr, "{}"},
    {Row::Account, "account", nullptr, "{}"},
    {Row::AccountUnknown, "account", nullptr, "cannot be read"},
    {Row::WindowsUnknown, "windows", "unknown", "cannot tell 32-bit from 64-bit"},
    {Row::Windows32, "windows", "32-bit", "32-bit"},
    {Row::Windows64, "windows", "64-bit-wow64", "64-bit (the exe runs under WOW64)"},
    {Row::Windows64Native, "windows", "64-bit", "64-bit (an x86-64 build: the exe runs without WOW64)"},

    {Row::SettingsNotLooked, "settings file", "not_looked", "{}: not looked at, since an earlier check refuses"},
    {Row::SettingsMissing, "settings file", "missing", "{}: missing, so the built-in default applies"},
    {Row::SettingsFolder, "settings file", "folder",
     "{}: a folder stands at that name, so the built-in default applies"},
    {Row::SettingsPresent, "settings file", "present", "{}: present"},
    {Row::SettingsUnreadable, "settings file", "unreadable", "{}: unreadable: {} (error {})"},
    {Row::SettingsHeld, "settings file", "held",
     "{}: held open by another program that is writing it, or that does not share reading"},
    {Row::SettingsLinkToNothing, "settings file", "link_to_nothing", "{}: a link to nothing (its target is missing)"},
    {Row::SettingsElsewhereInCase, "settings file", nullptr,
     "{}: present, but where it really lies, {}, differs from its name only in the case of letters outside "
     "ASCII, which the exe compares exactly: write the name as it stands on disk"},
    {Row::SettingsElsewhere, "settings file", nullptr, "{}: present, but it {}"},
    {Row::SettingsPlaceUnknown, "settings file", nullptr,
     "{}: present, but where it really lies cannot be told: {} (error {})"},
    {Row::SettingsTooLarge, "settings file", nullptr,
     "{}: present, but it holds {} bytes, more than the 16 MiB a settings file may hold, so it is not read"},
    {Row::SettingsReadFailed, "settings file", nullptr,
     "{}: present, but the profile reader could not read it: {} (error {})"},
    {Row::RealPlace, nullptr, nullptr,
     "really lies at {} (reached through a link, or a drive letter that stands for another place)"},
    {Row::RealPlaceTooLong, nullptr, nullptr, "really lies at a path too long to be read"},

    {Row::FolderLine, "folder", nullptr, "{}"},
    {Row::RealFolderLine, "real folder", nullptr, "{}"},
    {Row::ExeLine, "exe", nullptr, "{}"},
    {Row::SettingsFileLine, "settings file", nullptr, "{}"},
    {Row::ExePlaceUnknown, "exe", nullptr,
     "where it really lies cannot be told: {} (error {}); it is judged where it was named"},
    {Row::Trusted, nullptr, "trusted", "trusted (only trusted accounts own and may change {})"},
    {Row::OwnerUntrusted, nullptr, "owner_untrusted", "{} is owned by {}, who is not trusted and may change it"},
    {Row::WriterUntrusted, nullptr, "writer_untrusted", "{} may {} {}"},
    {Row::EntryUnread, nullptr, "entry_unread",
     "{} has an access entry of a kind that is not read (counted as an untrusted writer)"},
    {Row::NoDacl, nullptr, "no_dacl",
     "{} has no permissions at all (FAT or exFAT, or a NULL DACL): anyone may change it"},
    {Row::TrustUnreadable, nullptr, "unreadable", "who may change {} cannot be read"},

    {Row::Value, "value", "configured", "\"{}\" ({} characters)"},
    {Row::ValueDefault, "value", "default", "\"{}\" ({} characters, the built-in default)"},
    {Row::ValueDefaultNoDevId, "value", "default_no_devid",
     "\"{}\" ({} characters, the built-in default: the settings file has no [Settings] section, or no DevID "
     "in the first one)"},

    {Row::Key, "key", nullptr, "HKEY_LOCAL_MACHINE\\{}"},
    {Row::KeyAbsent, "key now", "absent", "no key"},
    {Row::KeyUnreadable, "key now", "unreadable", "cannot be read: {} (error {})"},
    {Row::KeyWithoutValue, "key now", "no_value", "the key, without Removable"},
    {Row::KeyMarked, "key now", "removable_0", "Removable = 0 already"},
    {Row::KeyOtherDword, "key now", "dword", "Removable = {}"},
    {Row::KeyOtherType, "key now", "other_type",
     "Removable of another type or size (type {}), which the exe would replace"},

    {Row::DeviceInstancePath, "device", "instance_path",
     "this is the instance path of {}, not a hardware ID; its hardware ID is {}"},
    {Row::DevicePresent, "device", nullptr, "{}: {}; {}"},
    {Row::DeviceNotPresent, "device", nullptr, "{} (not present now): {}; {}"},
    {Row::MostSpecific, nullptr, "hardware", "its most specific hardware ID"},
    {Row::LessSpecific, nullptr, nullptr, "a less specific hardware ID of it; its most specific is {}"},
    {Row::Compatible, nullptr, "compatible", "a compatible ID of it"},
    {Row::DecidesContainer, nullptr, nullptr,
     "it reports itself removable, so the override decides its container: {}"},
    {Row::ChangesNothing, nullptr, nullptr,
     "the override changes nothing on it: it does not report itself removable, so it takes the container of "
     "the device above it{}"},
    {Row::EffectCannotTell, nullptr, nullptr,
     "whether the override can change it cannot be told, since its capabilities cannot be read; its container: {}"},
    {Row::ContainerComputers, nullptr, "computer", "in the computer's container"},
    {Row::ContainerOwn, nullptr, "own", "in a container of its own"},
    {Row::ContainerCannotTell, nullptr, "cannot_tell", "cannot tell"},
    {Row::ParentListed, nullptr, nullptr, "; mark that one instead: {} ({})"},
    {Row::ParentInstance, nullptr, nullptr, "; mark that one instead: {}"},
    {Row::ParentUnknown, nullptr, nullptr, ", which cannot be read"},
    {Row::QuotedName, nullptr, nullptr, "\"{}\""},
    {Row::NoDescription, nullptr, nullptr, "a device without a description"},
    {Row::TooLongToShow, nullptr, nullptr, "(a text too long to show)"},
    {Row::DevicesUnlisted, "devices", nullptr, "the devices cannot be listed"},
    {Row::DevicesNone, "devices", nullptr, "no device has this ID{}"},
    {Row::DevicesOne, "devices", nullptr, "1 device has this ID{}"},
    {Row::DevicesMany, "devices", nullptr, "{} devices have this ID{}"},
    {Row::UnreadableIds, nullptr, nullptr, "; the IDs of {} more cannot be read"},

    {Row::FolderTrustedOnlyForAccount, "warning", "folder_trusted_only_for_account", kTrustedOnlyForAccount},
    {Row::RealFolderTrustedOnlyForAccount, "warning", "real_folder_trusted_only_for_account",
     kTrustedOnlyForAccount},
    {Row::ExeTrustedOnlyForAccount, "warning", "exe_trusted_only_for_account", kTrustedOnlyForAccount},
    {Row::SettingsTrustedOnlyForAccount, "warning", "settings_trusted_only_for_account", kTrustedOnlyForAccount},
    {Row::ValueSpace, "warning", "value_space", "the value holds a space, which a hardware ID never does"},
    {Row::ValueSemicolon, "warning", "value_semicolon",
     "the value holds a ';': a comment after the value is part of it"},
    {Row::ValueOutsideAscii, "warning", "value_outside_ascii",
     "the value holds characters outside ASCII, which a hardware ID never does"},
    {Row::WideValueOutsideAscii, "warning", "utf16_value_outside_ascii",
     "the settings file is UTF-16 and its value holds letters outside ASCII, which the exe's ANSI read turns "
     "into look-alikes: the value above is what the exe reads"},
    {Row::ValueThirdPart, "warning", "value_third_part",
     "the value has a third \\ part, as a device instance path has: use the device's hardware ID"},
    {Row::KeyNeverRead, "warning", "key_never_read",
     "Windows looks up an override for this ID only under the ID with every \\ as #, HKEY_LOCAL_MACHINE\\{}; the "
     "exe writes another key, which Windows never reads: no ID leads to a key with a further level"},
    {Row::KeyEmptyLevel, "warning", "key_empty_level",
     "the key has an empty level (the value ends with \\ or holds \\\\): what Windows does with one is not "
     "documented (it may refuse the key, or merge the level away and write the key of the ID without it), so "
     "whether the override is in effect cannot be told, and the PC is never counted as compliant: remove the "
     "extra \\. The devices below are those the key reaches with the level merged away"},
    {Row::KeyForAnotherSpelling, "warning", "key_for_another_spelling",
     "the value is not written as a hardware ID: Windows reads the exe's key for the ID {}\\{}, and so the "
     "override marks the devices with that ID"},
    {Row::ReachesOtherKinds, "warning", "every_device_with_the_id",
     "the override applies to every device with this ID, not to one device: {} here"},
    {Row::RestartOrReplug, "note", "restart_or_replug",
     "Windows applies the override when it next sets the device up: restart (with Fast Startup, Shut down and "
     "power on is not enough) or replug it; if it stays in a container of its own after that, its bus supplies "
     "its container, which the override does not change"},
    {Row::NotPresent, "note", "not_present",
     "a device not present now keeps the container it had when it was last set up; the override applies when "
     "it is next connected"},

    {Row::OutcomeCannotJudge, nullptr, "cannot_judge", "cannot judge"},
    {Row::SummaryNoDevice, nullptr, "no_device", "no present device whose container the override decides"},
    {Row::SummaryInEffect, nullptr, "in_effect", "all in the computer's container"},
    {Row::SummaryPending, nullptr, "pending", "some still in a container of their own: a restart or replug is pending"},
    {Row::SummaryCannotTell, nullptr, "cannot_tell", "where some are cannot be told"},
    {Row::PlaceAsNamed, nullptr, "as_named", "where it was named"},
    {Row::PlaceElsewhere, nullptr, "elsewhere", "elsewhere than it was named"},
    {Row::PlaceUnknown, nullptr, "unknown", "where it really lies cannot be told"},
    {Row::WouldMark, "verdict", "would_mark", "would mark HKEY_LOCAL_MACHINE\\{} (status {})"},
    {Row::WouldDoNothing, "verdict", "would_do_nothing", "would do nothing: {} (status {})"},
    {Row::IdTooShort, nullptr, "id_too_short", "the ID is shorter than 21 characters"},
    {Row::ExePathTooLong, nullptr, "exe_path_too_long", "the exe's path is 256 characters or longer"},
    {Row::ExeLongPathUnknown, nullptr, "exe_long_path_unknown",
     "the exe's long path cannot be had: a folder on its way cannot be listed"},
    {Row::ExePathNotExact, nullptr, "exe_path_not_exact",
     "the exe's path has letters that the ANSI code page cannot write exactly"},
    {Row::ReadsMayGoElsewhere, nullptr, "exe_in_system_folder",
     "on 64-bit Windows the exe lies in System32 or SysWOW64 (or below them), where Windows redirects what it reads"},
    {Row::SettingsPathTooLong, nullptr, "settings_path_too_long",
     "the settings file's path would be 256 characters or longer"},
    {Row::AccountUnreadable, nullptr, "account_unknown", "the account it runs as cannot be read"},
    {Row::FolderUntrusted, nullptr, "folder_untrusted", "{}"},
    {Row::ExeRealPathTooLong, nullptr, "exe_real_path_too_long",
     "the exe really lies elsewhere, at a path too long to judge"},
    {Row::RealFolderUntrusted, nullptr, "real_folder_untrusted", "{}"},
    {Row::ExeUntrusted, nullptr, "exe_untrusted", "{}"},
    {Row::SettingsUntrusted, nullptr, "settings_untrusted", "{}"},
    {Row::ReasonSettingsUnreadable, nullptr, "settings_unreadable", "the settings file cannot be read"},
    {Row::ReasonSettingsHeld, nullptr, "settings_held",
     "the settings file is held open by another program, writing it or not sharing reading"},
    {Row::ReasonSettingsLinkToNothing, nullptr, "settings_link_to_nothing", "the settings file is a link to nothing"},
    {Row::ReasonSettingsElsewhere, nullptr, "settings_elsewhere",
     "the settings file really lies elsewhere than its name says"},
    {Row::ReasonSettingsPlaceUnknown, nullptr, "settings_place_unknown",
     "where the settings file really lies cannot be told"},
    {Row::ReasonSettingsTooLarge, nullptr, "settings_too_large", "the settings file is larger than 16 MiB"},
    {Row::ReasonSettingsReadFailed, nullptr, "settings_read_failed",
     "the profile reader could not read the settings file"},
    {Row::ValueTooLong, nullptr, "value_too_long", "the value is longer than 254 characters"},
    {Row::SettingsNameCase, nullptr, "settings_name_case",
     "the settings file's name differs from its name on disk in the case of letters outside ASCII"},
    {Row::ReasonUsage, nullptr, "usage", "{}"},
    {Row::ReasonNoSuchExe, nullptr, "no_such_exe", "{}"},
    {Row::ReasonTargetFolder, nullptr, "target_folder", "{}"},
    {Row::ReasonTargetDevice, nullptr, "target_device", "{}"},
    {Row::ReasonNotAProgram, nullptr, "not_a_program", "{}"},
    {Row::ReasonTargetUnreadable, nullptr, "target_unreadable", "{}"},
    {Row::ReasonTargetTruncated, nullptr, "target_truncated", "{}"},
    {Row::ReasonTargetOtherMachine, nullptr, "target_other_machine", "{}"},
    {Row::ReasonTargetDll, nullptr, "target_dll", "{}"},
    {Row::ReasonTargetNotConsole, nullptr, "target_not_console", "{}"},
};

constexpr bool InOrder() {
  for (std::size_t i = 0; i < sizeof kRows / sizeof *kRows; ++i) {
    if (static_cast<std::size_t>(kRows[i].row) != i) {
      return false;
    }
  }
  return sizeof kRows / sizeof *kRows == static_cast<std::size_t>(Row::ReasonTargetNotConsole) + 1;
}
static_assert(InOrder(), "one row for each Row, in order");

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

// The line that says why the check cannot judge the target it was given.
Row CannotJudgeRow(Reason reason) {
  switch (reason) {
    case Reason::TargetFolder:
      return Row::TargetFolder;
    case Reason::TargetDevice:
      return Row::TargetDevice;
    case Reason::NotAProgram:
      return Row::NotAProgram;
    case Reason::TargetUnreadable:
      return Row::TargetUnreadable;
    case Reason::TargetTruncated:
      return Row::TargetTruncated;
    case Reason::TargetOtherMachine:
      return Row::TargetOtherMachine;
    case Reason::TargetDll:
      return Row::TargetDll;
    case Reason::TargetNotConsole:
      return Row::TargetNotConsole;
    default:
      return Row::NoSuchExe;
  }
}

void FillSlot(SentenceSink& sink, const Slot& slot) {
  switch (slot.kind) {
    case SlotKind::Own:
      sink.Own(slot.text);
      break;
    case SlotKind::Outside:
      sink.Outside(slot.text);
      break;
    case SlotKind::OutsideWide:
      sink.Outside(slot.wide);
      break;
    case SlotKind::Number:
      sink.Number(slot.number);
      break;
    default:
      if (slot.clause != nullptr) {
        Fill(sink, *slot.clause);
      }
      break;
  }
}

}  // namespace

const CatalogueRow& RowOf(Row row) { return kRows[static_cast<std::size_t>(row)]; }

// Each value's row, named case by case: the compiler holds every switch to
// every value of its enum, so none is left without its row.
Row ReasonRow(Reason reason) {
  switch (reason) {
    case Reason::None:
      return Row::WouldMark;
    case Reason::IdTooShort:
      return Row::IdTooShort;
    case Reason::ExePathTooLong:
      return Row::ExePathTooLong;
    case Reason::ExeLongPathUnknown:
      return Row::ExeLongPathUnknown;
    case Reason::ExePathNotExact:
      return Row::ExePathNotExact;
    case Reason::ReadsMayGoElsewhere:
      return Row::ReadsMayGoElsewhere;
    case Reason::SettingsPathTooLong:
      return Row::SettingsPathTooLong;
    case Reason::AccountUnknown:
      return Row::AccountUnreadable;
    case Reason::FolderUntrusted:
      return Row::FolderUntrusted;
    case Reason::ExeRealPathTooLong:
      return Row::ExeRealPathTooLong;
    case Reason::RealFolderUntrusted:
      return Row::RealFolderUntrusted;
    case Reason::ExeUntrusted:
      return Row::ExeUntrusted;
    case Reason::SettingsUntrusted:
      return Row::SettingsUntrusted;
    case Reason::SettingsUnreadable:
      return Row::ReasonSettingsUnreadable;
    case Reason::SettingsHeld:
      return Row::ReasonSettingsHeld;
    case Reason::SettingsLinkToNothing:
      return Row::ReasonSettingsLinkToNothing;
    case Reason::SettingsElsewhere:
      return Row::ReasonSettingsElsewhere;
    case Reason::SettingsPlaceUnknown:
      return Row::ReasonSettingsPlaceUnknown;
    case Reason::SettingsTooLarge:
      return Row::ReasonSettingsTooLarge;
    case Reason::SettingsReadFailed:
      return Row::ReasonSettingsReadFailed;
    case Reason::ValueTooLong:
      return Row::ValueTooLong;
    case Reason::SettingsNameCase:
      return Row::SettingsNameCase;
    case Reason::Usage:
      return Row::ReasonUsage;
    case Reason::NoSuchExe:
      return Row::ReasonNoSuchExe;
    case Reason::TargetFolder:
      return Row::ReasonTargetFolder;
    case Reason::TargetDevice:
      return Row::ReasonTargetDevice;
    case Reason::NotAProgram:
      return Row::ReasonNotAProgram;
    case Reason::TargetUnreadable:
      return Row::ReasonTargetUnreadable;
    case Reason::TargetTruncated:
      return Row::ReasonTargetTruncated;
    case Reason::TargetOtherMachine:
      return Row::ReasonTargetOtherMachine;
    case Reason::TargetDll:
      return Row::ReasonTargetDll;
    case Reason::TargetNotConsole:
      return Row::ReasonTargetNotConsole;
  }
  return Row::WouldMark;  // no other value
}

Row NoticeRow(Notice notice) {
  switch (notice) {
    case Notice::FolderTrustedOnlyForAccount:
      return Row::FolderTrustedOnlyForAccount;
    case Notice::RealFolderTrustedOnlyForAccount:
      return Row::RealFolderTrustedOnlyForAccount;
    case Notice::ExeTrustedOnlyForAccount:
      return Row::ExeTrustedOnlyForAccount;
    case Notice::SettingsTrustedOnlyForAccount:
      return Row::SettingsTrustedOnlyForAccount;
    case Notice::ValueSpace:
      return Row::ValueSpace;
    case Notice::ValueSemicolon:
      return Row::ValueSemicolon;
    case Notice::ValueOutsideAscii:
      return Row::ValueOutsideAscii;
    case Notice::WideValueOutsideAscii:
      return Row::WideValueOutsideAscii;
    case Notice::ValueThirdPart:
      return Row::ValueThirdPart;
    case Notice::KeyNeverRead:
      return Row::KeyNeverRead;
    case Notice::KeyEmptyLevel:
      return Row::KeyEmptyLevel;
    case Notice::KeyForAnotherSpelling:
      return Row::KeyForAnotherSpelling;
    case Notice::ReachesOtherKinds:
      return Row::ReachesOtherKinds;
    case Notice::RestartOrReplug:
      return Row::RestartOrReplug;
    case Notice::NotPresent:
      return Row::NotPresent;
  }
  return Row::FolderTrustedOnlyForAccount;  // no other value
}

Row WindowsRow(WindowsKind windows) {
  switch (windows) {
    case WindowsKind::Unknown:
      return Row::WindowsUnknown;
    case WindowsKind::Bits32:
      return Row::Windows32;
    case WindowsKind::Bits64:
      return Row::Windows64;
    case WindowsKind::Bits64Native:
      return Row::Windows64Native;
  }
  return Row::WindowsUnknown;  // no other value
}

Row SettingsFileRow(SettingsFile file) {
  switch (file) {
    case SettingsFile::NotLooked:
      return Row::SettingsNotLooked;
    case SettingsFile::Missing:
      return Row::SettingsMissing;
    case SettingsFile::Folder:
      return Row::SettingsFolder;
    case SettingsFile::Present:
      return Row::SettingsPresent;
    case SettingsFile::Unreadable:
      return Row::SettingsUnreadable;
    case SettingsFile::Held:
      return Row::SettingsHeld;
    case SettingsFile::LinkToNothing:
      return Row::SettingsLinkToNothing;
  }
  return Row::SettingsNotLooked;  // no other value
}

Row ContainerRow(Container container) {
  switch (container) {
    case Container::TheComputers:
      return Row::ContainerComputers;
    case Container::OfItsOwn:
      return Row::ContainerOwn;
    case Container::CannotTell:
      return Row::ContainerCannotTell;
  }
  return Row::ContainerComputers;  // no other value
}

Row EffectRow(OverrideEffect effect) {
  switch (effect) {
    case OverrideEffect::DecidesContainer:
      return Row::DecidesContainer;
    case OverrideEffect::ChangesNothing:
      return Row::ChangesNothing;
    case OverrideEffect::CannotTell:
      return Row::EffectCannotTell;
  }
  return Row::DecidesContainer;  // no other value
}

Row OutcomeRow(Outcome outcome) {
  switch (outcome) {
    case Outcome::WouldMark:
      return Row::WouldMark;
    case Outcome::WouldDoNothing:
      return Row::WouldDoNothing;
    case Outcome::CannotJudge:
      return Row::OutcomeCannotJudge;
  }
  return Row::WouldMark;  // no other value
}

Row SummaryEffectRow(Effect effect) {
  switch (effect) {
    case Effect::NoDevice:
      return Row::SummaryNoDevice;
    case Effect::InEffect:
      return Row::SummaryInEffect;
    case Effect::Pending:
      return Row::SummaryPending;
    case Effect::CannotTell:
      return Row::SummaryCannotTell;
  }
  return Row::SummaryNoDevice;  // no other value
}

Row PlaceRow(Whereabouts place) {
  switch (place) {
    case Whereabouts::AsNamed:
      return Row::PlaceAsNamed;
    case Whereabouts::Elsewhere:
      return Row::PlaceElsewhere;
    case Whereabouts::Unknown:
      return Row::PlaceUnknown;
  }
  return Row::PlaceAsNamed;  // no other value
}

Row MatchRow(IdMatch match) {
  switch (match) {
    case IdMatch::InstancePath:
      return Row::DeviceInstancePath;
    case IdMatch::Compatible:
      return Row::Compatible;
    case IdMatch::None:
    case IdMatch::MostSpecific:
    case IdMatch::LessSpecific:
      return Row::MostSpecific;
  }
  return Row::MostSpecific;  // no other value
}

Row ArgumentProblemRow(ArgumentProblem problem) {
  switch (problem) {
    case ArgumentProblem::UnknownOption:
      return Row::UnknownOption;
    case ArgumentProblem::OptionTwice:
      return Row::OptionTwice;
    case ArgumentProblem::OptionAfterExe:
      return Row::OptionAfterExe;
    case ArgumentProblem::None:
    case ArgumentProblem::Usage:
      return Row::Usage;
  }
  return Row::Usage;  // no other value
}

Row ValueSourceRow(const SettingsFindings& settings) {
  return settings.file != SettingsFile::Present ? Row::ValueDefault
         : settings.keyMissing                  ? Row::ValueDefaultNoDevId
                                                : Row::Value;
}

Row TrustRow(TrustVerdict verdict) {
  switch (verdict) {
    case TrustVerdict::Trusted:
      return Row::Trusted;
    case TrustVerdict::OwnerUntrusted:
      return Row::OwnerUntrusted;
    case TrustVerdict::WriterUntrusted:
      return Row::WriterUntrusted;
    case TrustVerdict::EntryUnread:
      return Row::EntryUnread;
    case TrustVerdict::NoDacl:
      return Row::NoDacl;
    default:
      return Row::TrustUnreadable;
  }
}

Row KeyNowRow(KeyState state, bool marked) {
  switch (state) {
    case KeyState::NoKey:
      return Row::KeyAbsent;
    case KeyState::Unreadable:
      return Row::KeyUnreadable;
    case KeyState::WithoutValue:
      return Row::KeyWithoutValue;
    case KeyState::Dword:
      return marked ? Row::KeyMarked : Row::KeyOtherDword;
    default:
      return Row::KeyOtherType;
  }
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

std::size_t WriteDecimal(unsigned long long number, char (&digits)[kDecimalFieldSize]) {
  std::size_t start = kDecimalFieldSize;
  do {
    digits[--start] = static_cast<char>('0' + number % 10U);
    number /= 10U;
  } while (number != 0 && start > 0);
  return start;
}

Slot Own(const char* text) { return {SlotKind::Own, {text, LengthOf(text)}, {L"", 0}, 0, nullptr}; }
Slot Outside(Text text) { return {SlotKind::Outside, text, {L"", 0}, 0, nullptr}; }
Slot Outside(const char* text) { return Outside(text != nullptr ? Text{text, LengthOf(text)} : Text{"", 0}); }
Slot Outside(WideText text) { return {SlotKind::OutsideWide, {"", 0}, text, 0, nullptr}; }
Slot Outside(const wchar_t* text) {
  return Outside(text != nullptr ? WideText{text, LengthOf(text)} : WideText{L"", 0});
}
Slot Number(unsigned long long number) { return {SlotKind::Number, {"", 0}, {L"", 0}, number, nullptr}; }
Slot Clause(const Sentence& clause) { return {SlotKind::Clause, {"", 0}, {L"", 0}, 0, &clause}; }

void Fill(SentenceSink& sink, const Sentence& sentence) {
  const char* const text = RowOf(sentence.row).text;
  std::size_t plainStart = 0;
  std::size_t slot = 0;
  std::size_t i = 0;
  for (; text[i] != '\0'; ++i) {
    if (text[i] == '{' && text[i + 1] == '}') {
      sink.Own({text + plainStart, i - plainStart});
      if (slot < kMaxSlots) {
        FillSlot(sink, sentence.slots[slot++]);
      }
      plainStart = i + 2;
      ++i;
    }
  }
  sink.Own({text + plainStart, i - plainStart});
}

Sentence TrustClause(const NamedFinding& named) {
  const TrustVerdict verdict = named.finding->verdict;
  const Row row = TrustRow(verdict);
  switch (verdict) {
    case TrustVerdict::OwnerUntrusted:
      return {row, {Outside(named.path), Outside(named.principalName)}};
    case TrustVerdict::WriterUntrusted: {
      const char* const phrase = WriteRightPhrase(named.finding->mask, named.isFolder);
      return {row, {Outside(named.principalName), Own(phrase != nullptr ? phrase : "change"), Outside(named.path)}};
    }
    default:
      return {row, {Outside(named.path)}};
  }
}

void WordReason(const Findings& findings, Reason reason, ReasonWording& wording) {
  wording.clause = {Row::Usage, {}};
  wording.reason = {ReasonRow(reason), {Clause(wording.clause)}};
  switch (reason) {
    case Reason::FolderUntrusted:
      wording.clause = TrustClause(findings.folder);
      break;
    case Reason::RealFolderUntrusted:
      wording.clause = TrustClause(findings.realFolder);
      break;
    case Reason::ExeUntrusted:
      wording.clause = TrustClause(findings.exe);
      break;
    case Reason::SettingsUntrusted:
      wording.clause = TrustClause(findings.settingsFile);
      break;
    case Reason::NoSuchExe:
    case Reason::TargetFolder:
    case Reason::TargetDevice:
    case Reason::NotAProgram:
    case Reason::TargetTruncated:
    case Reason::TargetOtherMachine:
    case Reason::TargetDll:
    case Reason::TargetNotConsole:
      wording.clause = {CannotJudgeRow(reason), {Outside(findings.exeShown)}};
      break;
    case Reason::TargetUnreadable:
      wording.clause = {Row::TargetUnreadable,
                        {Outside(findings.exeShown), Outside(findings.targetMessage), Number(findings.target.error)}};
      break;
    default:
      break;
  }
}

}  // namespace notremovable
