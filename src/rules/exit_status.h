// The exe's exit statuses, its only report; the check program ends with the same.
#pragma once

namespace notremovable {

// Nothing was done and the registry is untouched: the ID is too short or too
// long, or the settings could not be trusted or read whole.
inline constexpr int kExitIdRefused = 0;
// The write was attempted, whatever it gave.
inline constexpr int kExitWriteAttempted = 1;

}  // namespace notremovable
