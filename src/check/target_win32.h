// The exe the check program judges: its full path, named on the command line
// or beside the check program, what stands there, and that path as the check
// shows it and as the exe's own module calls would give it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "check/target.h"
#include "rules/paths.h"
#include "rules/settings.h"

namespace notremovable {

// The exe named may lie deeper than the exe itself could take.
inline constexpr DWORD kTargetFieldSize = 1024;

struct Target {
  wchar_t path[kTargetFieldSize];
  DWORD length;
  // As the exe's ANSI calls render it, best fit included, whatever its length.
  char rendered[kTargetFieldSize * 2];
  std::size_t renderedLength;  // 0: it cannot be rendered
  // As it is shown: '?' for what the code page cannot write, never a look-alike.
  char shown[kTargetFieldSize * 2];
};

// The exe named (null: notremovable.exe beside this program), by its full
// path; one handed over as it stands ("\\?\...") by the plain path it stands
// for, which the module calls give. In the facts: whether its path can be
// had, and whether it leads to a device.
void FindTarget(const wchar_t* named, Target& target, TargetFacts& facts);

// What stands at the target's path, in the facts: whether it is there, a
// folder, a file on a disk, and what the loader would make of it (a
// program's path is then expanded to its long form where it can be).
void LookAtTarget(Target& target, TargetFacts& facts);

// The path as the exe would have it: the module calls' two renderings, cut as
// they cut, then checked as the exe checks its own.
Refusal ExactPathAsModule(const Target& target, char (&exePath)[kPathFieldSize], std::size_t& length);

}  // namespace notremovable
