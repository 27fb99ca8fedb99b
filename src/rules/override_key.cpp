// The key template's one walker, and the two keys composed through it.
#include "rules/override_key.h"

namespace notremovable {
namespace {

// The template's fixed texts before its first "%s", between the two, and after the second.
struct KeyTemplate {
  Text before;
  Text between;
  Text after;
};
KeyTemplate SplitKeyTemplate() {
  const char* const text = kOverrideKeyTemplate;
  const auto nextConversion = [text](std::size_t from) {
    while (text[from] != '\0' && !(text[from] == '%' && text[from + 1] == 's')) {
      ++from;
    }
    return from;
  };
  const std::size_t first = nextConversion(0);
  const std::size_t second = nextConversion(first + 2);
  const char* const after = text + second + 2;
  return {{text, first}, {text + first + 2, second - first - 2}, {after, LengthOf(after)}};
}

// Fills a key path field piece by piece: at most its size less one
// characters, always terminated; callers size the field so that nothing is left out.
class KeyWriter {
 public:
  explicit KeyWriter(char (&field)[kOverrideKeyPathFieldSize]) : field_(field) {}
  ~KeyWriter() { field_[used_] = '\0'; }
  KeyWriter(const KeyWriter&) = delete;
  KeyWriter& operator=(const KeyWriter&) = delete;

  // The text as it is, or with every backslash as "#".
  void Append(Text text, bool backslashAsHash = false) {
    for (std::size_t i = 0; i < text.length && used_ + 1 < kOverrideKeyPathFieldSize; ++i) {
      field_[used_++] = backslashAsHash && text.text[i] == '\\' ? '#' : text.text[i];
    }
  }

 private:
  char (&field_)[kOverrideKeyPathFieldSize];
  std::size_t used_ = 0;
};

}  // namespace

void ComposeOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                            char (&keyPath)[kOverrideKeyPathFieldSize]) {
  const std::size_t length = BoundedLength(deviceId);
  // Only reached with IDs that IsDeviceIdActedOn accepts; the clamps keep an
  // ID of fewer than four characters from being read past its end.
  const std::size_t deviceStart = length < kDevicePartStart ? length : kDevicePartStart;
  const std::size_t enumeratorLength = length < kEnumeratorLength ? length : kEnumeratorLength;
  const KeyTemplate parts = SplitKeyTemplate();
  KeyWriter key(keyPath);
  key.Append(parts.before);
  key.Append({deviceId, enumeratorLength});
  key.Append(parts.between);
  key.Append({deviceId + deviceStart, length - deviceStart});
  key.Append(parts.after);
}

void ComposeWindowsOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                                   char (&keyPath)[kOverrideKeyPathFieldSize]) {
  // The whole ID stands for both parts and the "#" between them.
  const KeyTemplate parts = SplitKeyTemplate();
  KeyWriter key(keyPath);
  key.Append(parts.before);
  key.Append({deviceId, BoundedLength(deviceId)}, true);
  key.Append(parts.after);
}

Text OverrideKeyLevel(const char* keyPath) {
  const KeyTemplate parts = SplitKeyTemplate();
  const std::size_t length = LengthOf(keyPath);
  const std::size_t fixed = parts.before.length + parts.after.length;
  return {keyPath + (length < fixed ? 0 : parts.before.length), length < fixed ? 0 : length - fixed};
}

}  // namespace notremovable
