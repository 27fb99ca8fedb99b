// How the profile reader's answer is read.
#include "rules/settings.h"

namespace notremovable {

bool IsNoValue(const char (&value)[kReadBufferSize]) {
  for (std::size_t i = 0; i < sizeof kNoValue; ++i) {
    if (value[i] != kNoValue[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace notremovable
