// Length rule and composition of the override key path.
#include "override_key.h"

namespace notremovable {
namespace {

struct TextPiece {
  const char* text;
  std::size_t length;
};

// Length of a string in a field that may lack a terminator: then the whole field.
template <std::size_t FieldSize>
std::size_t BoundedLength(const char (&field)[FieldSize]) {
  std::size_t length = 0;
  while (length < FieldSize && field[length] != '\0') {
    ++length;
  }
  return length;
}

// Copies the template into the field with the pieces in place of its "%s", in
// turn. Writes at most FieldSize - 1 characters and always terminates; callers
// size the field so that nothing is left out.
template <std::size_t FieldSize, std::size_t PieceCount>
void FillTemplate(const char* templateText, const TextPiece (&pieces)[PieceCount],
                  char (&field)[FieldSize]) {
  std::size_t used = 0;
  const auto append = [&field, &used](const char* text, std::size_t length) {
    for (std::size_t i = 0; i < length && used + 1 < FieldSize; ++i) {
      field[used++] = text[i];
    }
  };
  std::size_t nextPiece = 0;
  for (const char* cursor = templateText; *cursor != '\0'; ++cursor) {
    if (cursor[0] == '%' && cursor[1] == 's' && nextPiece < PieceCount) {
      append(pieces[nextPiece].text, pieces[nextPiece].length);
      ++nextPiece;
      ++cursor;
    } else {
      append(cursor, 1);
    }
  }
  field[used] = '\0';
}

}  // namespace

bool IsDeviceIdActedOn(const char (&deviceId)[kDeviceIdFieldSize]) {
  const std::size_t length = BoundedLength(deviceId);
  return length >= kShortestDeviceId && length <= kLongestDeviceId;
}

bool TakeWholeValue(const char (&readBuffer)[kReadBufferSize], std::size_t readLength,
                    char (&deviceId)[kDeviceIdFieldSize]) {
  deviceId[0] = '\0';
  // The reader reports size - 1 when it had to cut the value.
  const std::size_t length = BoundedLength(readBuffer);
  if (readLength >= kReadBufferSize - 1 || length > kLongestDeviceId) {
    return false;
  }
  for (std::size_t i = 0; i < length; ++i) {
    deviceId[i] = readBuffer[i];
  }
  deviceId[length] = '\0';
  return true;
}

IdOddities FindIdOddities(const char* value, std::size_t length) {
  IdOddities found = {};
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<unsigned char>(value[i]);
    found.space = found.space || c == ' ' || c == '\t';
    found.semicolon = found.semicolon || c == ';';
    found.outsideAscii = found.outsideAscii || c < 0x20U || c > 0x7EU;
    backslashes += c == '\\' ? 1U : 0U;
  }
  found.thirdPart = backslashes >= 2;
  return found;
}

void ComposeOverrideKeyPath(const char (&deviceId)[kDeviceIdFieldSize],
                            char (&keyPath)[kOverrideKeyPathFieldSize]) {
  const std::size_t length = BoundedLength(deviceId);
  // Only reached with IDs that IsDeviceIdActedOn accepts; the clamps keep an
  // ID of fewer than four characters from being read past its end.
  const std::size_t deviceStart = length < kDevicePartStart ? length : kDevicePartStart;
  const std::size_t enumeratorLength = length < kEnumeratorLength ? length : kEnumeratorLength;
  const TextPiece parts[] = {{deviceId, enumeratorLength},
                             {deviceId + deviceStart, length - deviceStart}};
  FillTemplate(kOverrideKeyTemplate, parts, keyPath);
}

}  // namespace notremovable
