// How the profile reader's answer is read.
#include "rules/settings.h"

namespace notremovable {

ProfileAnswer ClassifyProfileAnswer(const char (&value)[kReadBufferSize], unsigned long error) {
  for (std::size_t i = 0; i < sizeof kNoValue; ++i) {
    if (value[i] != kNoValue[i]) {
      return ProfileAnswer::Value;
    }
  }
  constexpr unsigned long kFileNotFound = 2;
  return error == 0 || error == kFileNotFound ? ProfileAnswer::NoDevId : ProfileAnswer::ReadFailed;
}

}  // namespace notremovable
