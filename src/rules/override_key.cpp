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
constexpr std::size_t NextConversion(const char* text, std::size_t from) {
  while (text[from] != '\0' && !(text[from] == '%' && text[from + 1] == 's')) {
    ++from;
  }
  return from;
}
constexpr KeyTemplate SplitKeyTemplate(const char* text) {
  const std::size_t first = NextConversion(text, 0);
  const std::size_t second = NextConversion(text, first + 2);
  const char* const after = text + second + 2;
  return {{text, first}, {text + first + 2, second - first - 2}, {after, LengthOf(after)}};
}
// Walked once, as the program is compiled.
constexpr KeyTemplate kKeyTemplate = SplitKeyTemplate(kOverrideKeyTemplate);

// Fills a key path field with the pieces in turn, the one at hashedPiece
// with every backslash as "#": at most its size less one characters, always
// terminated; callers size the field so that nothing is left out.
void FillKeyPath(const Text* pieces, std::size_t count, std::size_t hashedPiece,
                 char (&keyPath)[kOverrideKeyPathFieldSize]) {
  std::size_t used = 0;
  for (std::size_t p = 0; p < count; ++p) {
    for (std::size_t i = 0; i < pieces[p].length && used + 1 < kOverrideKeyPathFieldSize; ++i) {
      const char c = pieces[p].text[i];
      keyPath[used++] = p == hashedPiece && c == '\\' ? '#' : c;
    }
  }
  keyPath[used] = '\0';
}

}  // namespace

void ComposeOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                            char (&keyPath)[kOverrideKeyPathFieldSize]) {
  const std::size_t length = BoundedLength(deviceId);
  // Only reached with IDs that IsDeviceIdActedOn accepts; the clamps keep an
  // ID of fewer than four characters from being read past its end.
  const std::size_t deviceStart = length < kDevicePartStart ? length : kDevicePartStart;
  const std::size_t enumeratorLength = length < kEnumeratorLength ? length : kEnumeratorLength;
  const Text pieces[] = {kKeyTemplate.before, {deviceId, enumeratorLength}, kKeyTemplate.between,
                         {deviceId + deviceStart, length - deviceStart}, kKeyTemplate.after};
  constexpr std::size_t kCount = sizeof pieces / sizeof *pieces;
  FillKeyPath(pieces, kCount, kCount, keyPath);  // every piece as it is
}

void ComposeWindowsOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                                   char (&keyPath)[kOverrideKeyPathFieldSize]) {
  // The whole ID stands for both parts and the "#" between them.
  const Text pieces[] = {kKeyTemplate.before, {deviceId, BoundedLength(deviceId)}, kKeyTemplate.after};
  constexpr std::size_t kIdPiece = 1;
  FillKeyPath(pieces, sizeof pieces / sizeof *pieces, kIdPiece, keyPath);
}

Text OverrideKeyLevel(const char* keyPath) {
  const std::size_t length = LengthOf(keyPath);
  const std::size_t fixed = kKeyTemplate.before.length + kKeyTemplate.after.length;
  return {keyPath + (length < fixed ? 0 : kKeyTemplate.before.length), length < fixed ? 0 : length - fixed};
}

}  // namespace notremovable
