// The length rule, the taking of the value read, and the ID's oddities.
#include "rules/device_id.h"

#include "rules/text.h"

namespace notremovable {

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

}  // namespace notremovable
