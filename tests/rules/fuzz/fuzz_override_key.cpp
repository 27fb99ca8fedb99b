// Fuzzes the taking of the value read, the length rule and the key composition
// with any configured value of 0 to 600 bytes, delivered as the profile reader
// would: cut to the read buffer's last character and terminated.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rules/device_id.h"
#include "rules/override_key.h"

namespace {

using namespace notremovable;

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// The template's fixed text before the first "%s" and after the second.
std::size_t PrefixLength() { return static_cast<std::size_t>(std::strstr(kOverrideKeyTemplate, "%s") - kOverrideKeyTemplate); }
const char* Suffix() { return std::strstr(std::strstr(kOverrideKeyTemplate, "%s") + 2, "%s") + 2; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 600) {
    return 0;
  }
  const char* value = reinterpret_cast<const char*>(data);
  const std::size_t valueLength = strnlen(value, size);

  char readBuffer[kReadBufferSize];
  std::memset(readBuffer, 0x7f, sizeof readBuffer);
  const std::size_t delivered = valueLength < kReadBufferSize - 1 ? valueLength : kReadBufferSize - 1;
  std::memcpy(readBuffer, value, delivered);
  readBuffer[delivered] = '\0';
  char deviceId[kDeviceIdFieldSize];
  std::memset(deviceId, 0x7f, sizeof deviceId);
  TakeWholeValue(readBuffer, delivered, deviceId);
  Require(std::memchr(deviceId, '\0', sizeof deviceId) != nullptr);
  // Taken unchanged when whole, else nothing.
  const bool taken = deviceId[0] != '\0';
  Require(!taken || std::strcmp(deviceId, std::string(value, valueLength).c_str()) == 0);

  const bool actedOn = IsDeviceIdActedOn(deviceId);
  Require(actedOn == (valueLength >= 21 && valueLength <= 254));
  if (!actedOn) {
    return 0;
  }

  char keyPath[kOverrideKeyPathFieldSize];
  std::memset(keyPath, 0x7f, sizeof keyPath);
  ComposeOverrideKeyPath(deviceId, keyPath);
  Require(std::memchr(keyPath, '\0', sizeof keyPath) != nullptr);
  const std::size_t length = std::strlen(keyPath);
  Require(length == valueLength + 65);

  const std::size_t prefixLength = PrefixLength();
  const char* suffix = Suffix();
  const std::size_t suffixLength = std::strlen(suffix);
  Require(std::strncmp(keyPath, kOverrideKeyTemplate, prefixLength) == 0);
  Require(std::strcmp(keyPath + length - suffixLength, suffix) == 0);
  // Between them: the enumerator, "#", and the ID from its fifth character.
  Require(std::memcmp(keyPath + prefixLength, value, 3) == 0);
  Require(keyPath[prefixLength + 3] == '#');
  Require(std::memcmp(keyPath + prefixLength + 4, value + 4, valueLength - 4) == 0);
  return 0;
}
