// The JSON report: the record's facts under stable names and codes, in one line.
#include "check/json_report.h"

#include <initializer_list>

#include "check/catalogue.h"
#include "check/verdict.h"
#include "rules/device_id.h"
#include "rules/override_key.h"

namespace notremovable {
namespace {

constexpr char kRootKey[] = "HKEY_LOCAL_MACHINE\\";

// A filled sentence as the UTF-16 of a JSON string; whole, or not at all.
class JsonSink final : public SentenceSink {
 public:
  explicit JsonSink(CodePage& codePage) : codePage_(codePage) {}
  void Own(Text text) override { Append(codePage_.Widened(text)); }
  void Outside(Text text) override { Append(codePage_.Widened(text)); }
  void Outside(WideText text) override { Append(text); }
  void Number(unsigned long long number) override {
    char digits[kDecimalFieldSize];
    for (std::size_t i = WriteDecimal(number, digits); i < kDecimalFieldSize; ++i) {
      const wchar_t digit = static_cast<wchar_t>(digits[i]);
      Append({&digit, 1});
    }
  }
  bool IsWhole() const { return whole_; }
  WideText Text() const { return {text_, length_}; }

 private:
  void Append(WideText text) {
    whole_ = whole_ && text.length <= kFieldSize - length_;
    for (std::size_t i = 0; whole_ && i < text.length; ++i) {
      text_[length_++] = text.text[i];
    }
  }
  static constexpr std::size_t kFieldSize = 4096;
  CodePage& codePage_;
  wchar_t text_[kFieldSize] = {};
  std::size_t length_ = 0;
  bool whole_ = true;
};

void SentenceValue(JsonOut& json, CodePage& codePage, const Sentence& sentence) {
  JsonSink filled(codePage);
  Fill(filled, sentence);
  if (filled.IsWhole()) {
    json.String(filled.Text());
  } else {
    json.Null();
  }
}

const char* CodeOf(Row row) { return RowOf(row).code; }

// The texts of a line within the bound are given only where they fit.
struct Writing {
  JsonOut& json;
  CodePage& codePage;
  bool withTexts;
  void Text(const char* key, const char* text) {
    json.Key(key);
    if (withTexts && text != nullptr) {
      json.String(notremovable::Text{text, LengthOf(text)});
    } else {
      json.Null();
    }
  }
  void Text(const char* key, const wchar_t* text) {
    Text(key, text != nullptr ? WideText{text, LengthOf(text)} : WideText{nullptr, 0}, text != nullptr);
  }
  void Text(const char* key, WideText text, bool given = true) {
    json.Key(key);
    if (withTexts && given) {
      json.String(text);
    } else {
      json.Null();
    }
  }
  // A path found out, null where it could not be (too long to be read).
  void FoundPath(const char* key, const char* path) { Text(key, path[0] != '\0' ? path : nullptr); }
  void Number(const char* key, unsigned long long number) {
    json.Key(key);
    json.Number(number);
  }
  void Code(const char* key, const char* code) {
    json.Key(key);
    json.Code(code);
  }
  void Bool(const char* key, bool value) {
    json.Key(key);
    json.Bool(value);
  }
};

void WriteKeyNow(Writing& w, const Findings& findings, const Verdict& verdict) {
  const KeyNow& now = findings.keyNow;
  w.json.Key("key_now");
  if (findings.keyPath == nullptr) {
    w.json.Null();
    return;
  }
  w.json.Begin('{');
  w.Code("state", CodeOf(KeyNowRow(now.state, verdict.keyMarked)));
  if (now.state == KeyState::Unreadable) {
    w.Number("error", now.error);
    w.Text("message", now.systemMessage);
  } else if (now.state == KeyState::Dword || now.state == KeyState::OtherType) {
    w.Number("type", now.type);
    w.Number("size", now.size);
    if (now.state == KeyState::Dword) {
      w.Number("value", now.data);
    } else if (now.size <= kKeyDataFieldSize) {
      static constexpr char kHexDigits[] = "0123456789abcdef";
      char hex[2 * kKeyDataFieldSize + 1] = {};
      for (std::size_t i = 0; i < now.size; ++i) {
        hex[2 * i] = kHexDigits[now.raw[i] >> 4U];
        hex[2 * i + 1] = kHexDigits[now.raw[i] & 0xFU];
      }
      w.Code("data", hex);
    }
  }
  w.json.End('}');
}

// A key under the root, named whole.
void KeyText(Writing& w, const char* key, const char* path) {
  w.json.Key(key);
  if (!w.withTexts || path == nullptr) {
    w.json.Null();
    return;
  }
  char whole[sizeof kRootKey + kOverrideKeyPathFieldSize] = {};
  std::size_t length = 0;
  for (const char* part : {kRootKey, path}) {
    for (std::size_t i = 0; part[i] != '\0' && length + 1 < sizeof whole; ++i) {
      whole[length++] = part[i];
    }
  }
  w.json.String(Text{whole, length});
}

void WriteVerdict(Writing& w, const Findings& findings, const Verdict& verdict) {
  w.json.Key("verdict");
  w.json.Begin('{');
  w.Code("outcome", CodeOf(OutcomeRow(verdict.outcome)));
  w.Number("status", static_cast<unsigned long long>(verdict.exeStatus));
  w.Code("reason", verdict.reason == Reason::None ? nullptr : CodeOf(ReasonRow(verdict.reason)));
  w.json.Key("reason_text");
  if (verdict.reason != Reason::None && w.withTexts) {
    ReasonWording wording;
    WordReason(findings, verdict.reason, wording);
    SentenceValue(w.json, w.codePage, wording.reason);
  } else {
    w.json.Null();
  }
  const SettingsFindings* const settings = findings.settings;
  w.Text("id", verdict.valueRead ? settings->value : nullptr);
  KeyText(w, "key", findings.keyPath);
  KeyText(w, "windows_key", findings.windowsKeyPath);
  WriteKeyNow(w, findings, verdict);
  w.json.End('}');
}

void WriteSummary(Writing& w, const Findings& findings, const Verdict& verdict) {
  const DeviceTally& tally = findings.devices;
  w.json.Key("summary");
  w.json.Begin('{');
  w.Bool("compliant", verdict.compliant);
  w.Number("compliance_status", static_cast<unsigned long long>(verdict.complianceStatus));
  w.Code("effect", CodeOf(SummaryEffectRow(verdict.effect)));
  w.Bool("devices_listed", tally.listed);
  w.Number("devices", verdict.devicesListed);
  w.Number("in_computer_container", tally.inComputers);
  w.Number("pending", tally.pending);
  w.Number("container_unknown", tally.containerUnknown);
  w.Number("unreadable_ids", tally.unreadable);
  w.json.End('}');
  for (const bool notes : {false, true}) {
    w.json.Key(notes ? "notes" : "warnings");
    w.json.Begin('[');
    for (std::size_t i = 0; i < kNoticeCount; ++i) {
      const auto notice = static_cast<Notice>(i);
      if (verdict.notices[i] && IsNote(notice) == notes) {
        w.json.Code(CodeOf(NoticeRow(notice)));
      }
    }
    w.json.End(']');
  }
}

// Who may change an object; its path where the exe's and the settings file's
// paths do not give it, and whether it is trusted only for this account
// among the warnings.
void WriteTrust(Writing& w, const char* key, const NamedFinding& named, bool withPath) {
  if (named.finding == nullptr || named.finding->verdict == TrustVerdict::NotChecked) {
    return;
  }
  const TrustFinding& finding = *named.finding;
  w.json.Key(key);
  w.json.Begin('{');
  if (withPath) {
    w.Text("path", named.path);
  }
  w.Code("verdict", CodeOf(TrustRow(finding.verdict)));
  if (finding.verdict == TrustVerdict::OwnerUntrusted || finding.verdict == TrustVerdict::WriterUntrusted) {
    w.Text("principal", named.principalName);
  }
  if (finding.verdict == TrustVerdict::WriterUntrusted) {
    w.Number("rights", finding.mask);
  }
  w.json.End('}');
}

void WriteSettings(Writing& w, const Findings& findings, const Verdict& verdict) {
  const SettingsFindings* const settings = findings.settings;
  w.json.Key("exe");
  w.json.Begin('{');
  w.Text("path", findings.exeExactPath);
  if (settings != nullptr) {
    w.Code("place", CodeOf(PlaceRow(settings->exePlace)));
    if (settings->exePlace == Whereabouts::Elsewhere) {
      w.FoundPath("real_path", settings->exeRealPath);
    } else if (settings->exePlace == Whereabouts::Unknown) {
      w.Number("error", settings->exeError);
    }
  }
  w.json.End('}');
  w.json.Key("settings");
  if (settings == nullptr || settings->settingsPath[0] == '\0') {
    w.json.Null();
    return;
  }
  w.json.Begin('{');
  w.Text("path", settings->settingsPath);
  w.Code("file", CodeOf(SettingsFileRow(settings->file)));
  if (settings->file == SettingsFile::Present) {
    w.Number("size", settings->fileSize);
  }
  if (verdict.settingsLine == SettingsLine::Elsewhere || verdict.settingsLine == SettingsLine::ElsewhereInCase) {
    w.FoundPath("real_path", settings->realPath);
  }
  if (verdict.settingsErrorTold) {
    w.Number("error", settings->error);
    w.Text("message", findings.systemMessage);
  }
  if (verdict.valueRead) {
    w.Code("value_source", CodeOf(ValueSourceRow(*settings)));
    w.Number("value_length", LengthOf(settings->value));
  }
  w.json.End('}');
  w.json.Key("trust");
  w.json.Begin('{');
  WriteTrust(w, "folder", findings.folder, false);
  WriteTrust(w, "real_folder", findings.realFolder, true);
  WriteTrust(w, "exe", findings.exe, false);
  WriteTrust(w, "settings", findings.settingsFile, false);
  w.json.End('}');
}

// Everything but the devices.
void WriteHead(Writing& w, const Findings& findings, const Verdict& verdict) {
  w.json.Begin('{');
  w.Number("schema", static_cast<unsigned long long>(kJsonSchemaVersion));
  w.json.Key("tool");
  w.json.Begin('{');
  w.Code("name", "notremovable-check");
  w.Code("version", findings.toolVersion);
  w.Code("build", findings.builtFor32BitX86 ? "x86" : "x86-64");
  w.json.End('}');
  w.Text("computer", findings.computerName);
  w.Text("account", findings.accountName);
  w.Code("windows", CodeOf(WindowsRow(findings.windows)));
  WriteVerdict(w, findings, verdict);
  WriteSummary(w, findings, verdict);
  if (verdict.outcome != Outcome::CannotJudge) {
    WriteSettings(w, findings, verdict);
  }
  if (!w.withTexts) {
    w.Bool("texts_omitted", true);
  }
}

// What the override can change on a device, and where it is.
void WriteDevice(JsonOut& json, CodePage& codePage, const DeviceFacts& device, const DeviceVerdict& judged) {
  Writing w = {json, codePage, true};
  json.Begin('{');
  w.Text("instance", device.instance);
  json.Key("name");
  if (device.name.length != 0) {
    json.String(device.name);
  } else {
    json.Null();
  }
  w.Code("match", CodeOf(MatchRow(device.match)));
  w.Bool("most_specific", device.match == IdMatch::MostSpecific);
  w.Text("id", device.mostSpecificId);
  w.Bool("present", device.presentNow);
  json.Key("removable");
  if (device.capability == Capability::Unknown) {
    json.Null();
  } else {
    json.Bool(device.capability == Capability::Removable);
  }
  json.Key("override_changes");
  if (judged.effect == OverrideEffect::CannotTell) {
    json.Null();
  } else {
    json.Bool(judged.effect != OverrideEffect::ChangesNothing);
  }
  w.Code("container", CodeOf(ContainerRow(judged.container)));
  w.Bool("pending", judged.pending);
  json.Key("mark_instead");
  if (!judged.markInstead) {
    json.Null();
  } else {
    json.Begin('{');
    w.Text("instance", device.parent.instance);
    if (device.parent.read == ParentRead::Listed) {
      json.Key("name");
      if (device.parent.name.length != 0) {
        json.String(device.parent.name);
      } else {
        json.Null();
      }
      w.Text("id", device.parent.mostSpecificId);
    }
    json.End('}');
  }
  json.End('}');
}

}  // namespace

JsonReport::JsonReport(ReportOut& out, CodePage& codePage, std::size_t bound, JsonFields& fields)
    : out_(out), codePage_(codePage), bound_(bound), fields_(fields) {}

// Each kept device's object, one after another in the devices' field; those
// that do not fit it are counted.
void JsonReport::WriteDevices(const Findings& findings, const Verdict& verdict) {
  const DeviceStore& store = findings.deviceStore;
  listed_ = 0;
  notListed_ = store.notKept;
  for (std::size_t i = 0; i < store.count; ++i) {
    const std::size_t start = listed_ > 0 ? fields_.deviceEnds[listed_ - 1] : 0;
    JsonOut json(fields_.devices + start, sizeof fields_.devices - start, &codePage_);
    WriteDevice(json, codePage_, store.kept[i], verdict.devices[i]);
    if (!json.IsComplete() || listed_ == JsonFields::kMostListed) {
      ++notListed_;
      continue;
    }
    fields_.deviceEnds[listed_++] = start + json.Length();
  }
}

namespace {

std::size_t Digits(std::size_t number) {
  char digits[kDecimalFieldSize];
  return kDecimalFieldSize - WriteDecimal(number, digits);
}

}  // namespace

void JsonReport::Render(const Findings& findings, const Verdict& verdict) {
  WriteDevices(findings, verdict);
  // After the devices: the array's end, their count not listed, the object's
  // end and the line end, which the C runtime's text mode writes as "\r\n".
  static constexpr std::size_t kAfterDevices = sizeof "],\"devices_not_listed\":}" - 1 + 2;
  const std::size_t room = bound_ != 0 && bound_ < sizeof fields_.line ? bound_ : sizeof fields_.line;
  JsonOut json(fields_.line, room, &codePage_);
  Writing w = {json, codePage_, true};
  WriteHead(w, findings, verdict);
  // The head leaves room for the devices' key and an empty list, whatever the count.
  if (json.Overflowed() ||
      json.Length() + sizeof ",\"devices\":[" - 1 + kAfterDevices + Digits(notListed_ + listed_) > room) {
    json = JsonOut(fields_.line, room, &codePage_);
    w.withTexts = false;
    WriteHead(w, findings, verdict);
  }
  json.Key("devices");
  json.Begin('[');
  std::size_t notListed = notListed_;
  for (std::size_t i = 0; i < listed_; ++i) {
    const std::size_t start = i > 0 ? fields_.deviceEnds[i - 1] : 0;
    const std::size_t length = fields_.deviceEnds[i] - start;
    // Listed, it leaves at most the devices after it to be counted.
    const std::size_t comma = i > 0 ? 1 : 0;
    if (json.Length() + comma + length + kAfterDevices + Digits(notListed_ + listed_ - i - 1) > room) {
      notListed += listed_ - i;
      break;
    }
    json.Element(fields_.devices + start, length);
  }
  json.End(']');
  json.Key("devices_not_listed");
  json.Number(notListed);
  json.End('}');
  out_.Write(fields_.line, json.Length());
  out_.Write("\n", 1);
}

}  // namespace notremovable
