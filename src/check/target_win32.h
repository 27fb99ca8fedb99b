// The exe the check program judges: its full path, named on the command line
// or beside the check program, as the check shows it and as the exe's own
// module calls would give it.
#pragma once

#include <windows.h>

#include <cstddef>

#include "rules/paths.h"

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

// The exe named (the one argument), or notremovable.exe beside this program.
// False when the command line names none.
bool FindTarget(int argc, wchar_t** argv, Target& target);

// Expands the target's path in place to its long form; false when no such
// file is there.
bool ExpandExistingTarget(Target& target);

// The path as the exe would have it: the module calls' two renderings, cut as
// they cut, then checked as the exe checks its own. Its length, or 0.
std::size_t ExactPathAsModule(const Target& target, char (&exePath)[kPathFieldSize]);

}  // namespace notremovable
