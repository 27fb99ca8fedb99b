// The text report: which catalogue row says each fact, in the order a person
// reads them, escaped and in the code page.
#include "check/text_report.h"

#include <initializer_list>

#include "rules/device_id.h"
#include "rules/override_key.h"

namespace notremovable {
namespace {

// Writes a sentence's text: its own as it is, text from outside escaped.
class TextSink final : public SentenceSink {
 public:
  TextSink(ReportOut& out, CodePage& codePage) : out_(out), codePage_(codePage) {}

  void Own(Text text) override { out_.Write(text.text, text.length); }

  void Outside(Text text) override {
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i < text.length; ++i) {
      const auto c = static_cast<unsigned char>(text.text[i]);
      const bool startsAnEscape = c == '\\' && i + 1 < text.length && text.text[i + 1] == 'x';
      if (c < 0x20U || c == 0x7FU || c == '"' || startsAnEscape) {
        out_.Write(text.text + plainStart, i - plainStart);
        Escape(c);
        plainStart = i + 1;
      }
    }
    out_.Write(text.text + plainStart, text.length - plainStart);
  }

  // C1 controls are escaped as C0 ones are, before a code page could show them.
  void Outside(WideText text) override {
    std::size_t plainStart = 0;
    for (std::size_t i = 0; i <= text.length; ++i) {
      const bool c1 = i < text.length && text.text[i] >= 0x80 && text.text[i] <= 0x9F;
      if (c1 || i == text.length) {
        const Text shown = codePage_.Shown({text.text + plainStart, i - plainStart});
        if (shown.text != nullptr) {
          Outside(shown);
        } else {
          const char* const tooLong = RowOf(Row::TooLongToShow).text;
          Own({tooLong, LengthOf(tooLong)});
        }
        plainStart = i + 1;
      }
      if (c1) {
        Escape(static_cast<unsigned char>(text.text[i]));
      }
    }
  }

  void Number(unsigned long long number) override {
    char digits[kDecimalFieldSize];
    const std::size_t start = WriteDecimal(number, digits);
    out_.Write(digits + start, sizeof digits - start);
  }

 private:
  void Escape(unsigned char c) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    const char escaped[] = {'\\', 'x', kHexDigits[c >> 4U], kHexDigits[c & 0xFU]};
    out_.Write(escaped, sizeof escaped);
  }

  ReportOut& out_;
  CodePage& codePage_;
};

// A notice's line where the verdict says it applies; its slots as given.
void NoticeLine(ReportOut& out, CodePage& codePage, const Verdict& verdict, Notice notice, const Sentence& sentence) {
  if (verdict.notices[static_cast<std::size_t>(notice)]) {
    WriteLine(out, codePage, sentence);
  }
}

// A device's name in quotes, or what stands for it, outside them, where it has
// none or it cannot be shown.
Sentence NameClause(CodePage& codePage, WideText name) {
  if (name.length == 0) {
    return {Row::NoDescription, {}};
  }
  return codePage.Shown(name).text != nullptr ? Sentence{Row::QuotedName, {Outside(name)}}
                                              : Sentence{Row::TooLongToShow, {}};
}

// Where a file really lies, elsewhere than it was named.
Sentence RealPlace(const char* realPath) {
  return realPath[0] == '\0' ? Sentence{Row::RealPlaceTooLong, {}} : Sentence{Row::RealPlace, {Outside(realPath)}};
}

void WriteSettingsFileLine(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  const SettingsFindings& settings = *findings.settings;
  if (settings.settingsPath[0] == '\0') {
    return;
  }
  const Slot path = Outside(settings.settingsPath);
  const Slot message = Outside(findings.systemMessage);
  const Slot error = Number(settings.error);
  const Sentence realPlace = RealPlace(settings.realPath);
  Sentence line = {SettingsFileRow(settings.file), {path}};
  switch (verdict.settingsLine) {
    case SettingsLine::AsItStands:
      break;
    case SettingsLine::Unreadable:
      line = {Row::SettingsUnreadable, {path, message, error}};
      break;
    case SettingsLine::ElsewhereInCase:
      line = {Row::SettingsElsewhereInCase, {path, Outside(settings.realPath)}};
      break;
    case SettingsLine::Elsewhere:
      line = {Row::SettingsElsewhere, {path, Clause(realPlace)}};
      break;
    case SettingsLine::PlaceUnknown:
      line = {Row::SettingsPlaceUnknown, {path, message, error}};
      break;
    case SettingsLine::TooLarge:
      line = {Row::SettingsTooLarge, {path, Number(settings.fileSize)}};
      break;
    case SettingsLine::ReadFailed:
      line = {Row::SettingsReadFailed, {path, message, error}};
      break;
  }
  WriteLine(out, codePage, line);
}

void WriteTrustLines(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict,
                     Row object, const NamedFinding& named, Notice trustedOnlyForAccount) {
  if (named.finding->verdict == TrustVerdict::NotChecked) {
    return;
  }
  const Sentence clause = TrustClause(named);
  WriteLine(out, codePage, {object, {Clause(clause)}});
  NoticeLine(out, codePage, verdict, trustedOnlyForAccount,
             {NoticeRow(trustedOnlyForAccount), {Outside(named.path), Outside(findings.accountName)}});
}

// Where the exe really lies, where that is not where it was named.
void WriteExePlaceLine(ReportOut& out, CodePage& codePage, const Findings& findings) {
  const SettingsFindings& settings = *findings.settings;
  if (settings.exePlace == Whereabouts::Unknown) {
    WriteLine(out, codePage,
         {Row::ExePlaceUnknown, {Outside(findings.exePlaceMessage), Number(settings.exeError)}});
  } else if (settings.exePlace == Whereabouts::Elsewhere) {
    const Sentence realPlace = RealPlace(settings.exeRealPath);
    WriteLine(out, codePage, {Row::ExeLine, {Clause(realPlace)}});
  }
}

void WriteValueLines(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  const SettingsFindings& settings = *findings.settings;
  if (!verdict.valueRead) {
    return;
  }
  const std::size_t length = LengthOf(settings.value);
  WriteLine(out, codePage, {ValueSourceRow(settings), {Outside(Text{settings.value, length}), Number(length)}});
  for (const Notice notice : {Notice::ValueSpace, Notice::ValueSemicolon, Notice::ValueOutsideAscii,
                              Notice::WideValueOutsideAscii, Notice::ValueThirdPart}) {
    NoticeLine(out, codePage, verdict, notice, {NoticeRow(notice), {}});
  }
}

void WriteSettingsLines(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  WriteSettingsFileLine(out, codePage, findings, verdict);
  WriteTrustLines(out, codePage, findings, verdict, Row::FolderLine, findings.folder,
                  Notice::FolderTrustedOnlyForAccount);
  WriteExePlaceLine(out, codePage, findings);
  WriteTrustLines(out, codePage, findings, verdict, Row::RealFolderLine, findings.realFolder,
                  Notice::RealFolderTrustedOnlyForAccount);
  WriteTrustLines(out, codePage, findings, verdict, Row::ExeLine, findings.exe, Notice::ExeTrustedOnlyForAccount);
  WriteTrustLines(out, codePage, findings, verdict, Row::SettingsFileLine, findings.settingsFile,
                  Notice::SettingsTrustedOnlyForAccount);
  WriteValueLines(out, codePage, findings, verdict);
}

// The exe's key, what is there now, and whom Windows reads it for where that
// is not the ID as configured itself.
void WriteKeyLines(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  const KeyNow& now = findings.keyNow;
  WriteLine(out, codePage, {Row::Key, {Outside(findings.keyPath)}});
  const Row nowRow = KeyNowRow(now.state, verdict.keyMarked);
  switch (now.state) {
    case KeyState::Unreadable:
      WriteLine(out, codePage, {nowRow, {Outside(now.systemMessage), Number(now.error)}});
      break;
    case KeyState::Dword:
      WriteLine(out, codePage, {nowRow, {Number(now.data)}});
      break;
    case KeyState::OtherType:
      WriteLine(out, codePage, {nowRow, {Number(now.type)}});
      break;
    default:
      WriteLine(out, codePage, {nowRow, {}});
      break;
  }
  NoticeLine(out, codePage, verdict, Notice::KeyNeverRead,
             {Row::KeyNeverRead, {Outside(findings.windowsKeyPath)}});
  NoticeLine(out, codePage, verdict, Notice::KeyEmptyLevel, {Row::KeyEmptyLevel, {}});
  // The ID that leads there, as Windows writes it: the key's level with the
  // "#" after the enumerator as the "\" it stands for.
  const Text level = OverrideKeyLevel(findings.keyPath);
  if (level.length > kDevicePartStart) {
    NoticeLine(out, codePage, verdict, Notice::KeyForAnotherSpelling,
               {Row::KeyForAnotherSpelling,
                {Outside(Text{level.text, kEnumeratorLength}),
                 Outside(Text{level.text + kDevicePartStart, level.length - kDevicePartStart})}});
  }
}

}  // namespace

void WriteLine(ReportOut& out, CodePage& codePage, const Sentence& sentence) {
  TextSink sink(out, codePage);
  const char* const label = RowOf(sentence.row).label;
  if (label != nullptr) {
    sink.Own({label, LengthOf(label)});
    sink.Own({": ", 2});
  }
  Fill(sink, sentence);
  out.Write("\n", 1);
}

void WriteCannotJudge(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  ReasonWording wording;
  WordReason(findings, verdict.reason, wording);
  WriteLine(out, codePage, wording.clause);
}

void WriteArgumentProblem(ReportOut& out, CodePage& codePage, const Arguments& arguments) {
  const WideText culprit = {arguments.culprit != nullptr ? arguments.culprit : L"",
                            arguments.culprit != nullptr ? LengthOf(arguments.culprit) : 0};
  // The usage line has no slot; the others name the argument.
  WriteLine(out, codePage, {ArgumentProblemRow(arguments.problem), {Outside(culprit)}});
}

void WriteReportNotWritten(ReportOut& out, CodePage& codePage) { WriteLine(out, codePage, {Row::ReportNotWritten, {}}); }

void WriteDeviceLine(ReportOut& out, CodePage& codePage, const DeviceFacts& device, const DeviceVerdict& judged) {
  const Sentence name = NameClause(codePage, device.name);
  if (device.match == IdMatch::InstancePath) {
    WriteLine(out, codePage, {Row::DeviceInstancePath, {Clause(name), Outside(device.mostSpecificId)}});
    return;
  }
  const Sentence match = device.match == IdMatch::LessSpecific
                             ? Sentence{Row::LessSpecific, {Outside(device.mostSpecificId)}}
                             : Sentence{MatchRow(device.match), {}};
  const ParentFacts& parent = device.parent;
  const Sentence parentName = NameClause(codePage, parent.name);
  const Sentence container = {ContainerRow(judged.container), {}};
  const Sentence above = parent.read == ParentRead::Listed
                             ? Sentence{Row::ParentListed, {Clause(parentName), Outside(parent.mostSpecificId)}}
                         : parent.read == ParentRead::InstanceOnly
                             ? Sentence{Row::ParentInstance, {Outside(parent.instance)}}
                             : Sentence{Row::ParentUnknown, {}};
  const Sentence effect = {EffectRow(judged.effect),
                           {Clause(judged.effect == OverrideEffect::ChangesNothing ? above : container)}};
  WriteLine(out, codePage,
       {device.presentNow ? Row::DevicePresent : Row::DeviceNotPresent,
        {Clause(name), Clause(match), Clause(effect)}});
}

void WriteDeviceSummary(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  const DeviceTally& tally = findings.devices;
  if (!tally.listed) {
    WriteLine(out, codePage, {Row::DevicesUnlisted, {}});
    return;
  }
  const Sentence unreadable = {Row::UnreadableIds, {Number(tally.unreadable)}};
  const Slot more = tally.unreadable > 0 ? Clause(unreadable) : Own("");
  if (tally.matching == 0) {
    WriteLine(out, codePage, {Row::DevicesNone, {more}});
  } else if (tally.matching == 1) {
    WriteLine(out, codePage, {Row::DevicesOne, {more}});
  } else {
    WriteLine(out, codePage, {Row::DevicesMany, {Number(tally.matching), more}});
  }
  NoticeLine(out, codePage, verdict, Notice::ReachesOtherKinds, {Row::ReachesOtherKinds, {Number(tally.matching)}});
  NoticeLine(out, codePage, verdict, Notice::RestartOrReplug, {Row::RestartOrReplug, {}});
  NoticeLine(out, codePage, verdict, Notice::NotPresent, {Row::NotPresent, {}});
}

void WriteVerdict(ReportOut& out, CodePage& codePage, const Findings& findings, const Verdict& verdict) {
  if (verdict.outcome == Outcome::WouldMark) {
    WriteLine(out, codePage,
         {Row::WouldMark, {Outside(findings.keyPath != nullptr ? findings.keyPath : ""),
                           Number(static_cast<unsigned long long>(verdict.exeStatus))}});
    return;
  }
  ReasonWording wording;
  WordReason(findings, verdict.reason, wording);
  WriteLine(out, codePage,
       {Row::WouldDoNothing, {Clause(wording.reason), Number(static_cast<unsigned long long>(verdict.exeStatus))}});
}

void TextReport::Render(const Findings& findings, const Verdict& verdict) {
  if (verdict.outcome == Outcome::CannotJudge) {
    return;  // its one line goes to stderr
  }
  WriteLine(out_, codePage_, {Row::Judging, {Outside(findings.exeShown)}});
  WriteLine(out_, codePage_,
            findings.accountName != nullptr ? Sentence{Row::Account, {Outside(findings.accountName)}}
                                            : Sentence{Row::AccountUnknown, {}});
  WriteLine(out_, codePage_, {WindowsRow(findings.windows), {}});
  if (findings.settings != nullptr) {
    WriteSettingsLines(out_, codePage_, findings, verdict);
  }
  if (findings.keyPath != nullptr) {
    WriteKeyLines(out_, codePage_, findings, verdict);
    const DeviceStore& store = findings.deviceStore;
    for (std::size_t i = 0; i < store.count; ++i) {
      WriteDeviceLine(out_, codePage_, store.kept[i], verdict.devices[i]);
    }
    WriteDeviceSummary(out_, codePage_, findings, verdict);
  }
  WriteVerdict(out_, codePage_, findings, verdict);
}

}  // namespace notremovable
