// The target's path, its renderings, and its path as the exe's module calls
// would give it.
#include "check/target_win32.h"

#include "win32/paths.h"

namespace notremovable {
namespace {

constexpr wchar_t kDefaultTarget[] = L"notremovable.exe";

// Renders the path in the ANSI code page; the length without the terminator, or 0.
std::size_t Render(const Target& target, DWORD flags, char (&field)[kTargetFieldSize * 2]) {
  const int length = WideCharToMultiByte(CP_ACP, flags, target.path, -1, field,
                                         static_cast<int>(sizeof field), nullptr, nullptr);
  if (length <= 0) {
    field[0] = '\0';
    return 0;
  }
  return static_cast<std::size_t>(length) - 1;
}

void RenderTarget(Target& target) {
  target.renderedLength = Render(target, 0, target.rendered);
  static constexpr char kUnshown[] = "(a path that cannot be shown)";
  if (Render(target, WC_NO_BEST_FIT_CHARS, target.shown) == 0) {
    for (std::size_t i = 0; i < sizeof kUnshown; ++i) {
      target.shown[i] = kUnshown[i];
    }
  }
}

}  // namespace

bool FindTarget(int argc, wchar_t** argv, Target& target) {
  target.length = 0;
  if (argc == 2) {
    target.length = GetFullPathNameW(argv[1], kTargetFieldSize, target.path, nullptr);
  } else if (argc == 1) {
    const DWORD length = GetModuleFileNameW(nullptr, target.path, kTargetFieldSize);
    const std::size_t nameStart = length < kTargetFieldSize ? FileNameStart(target.path, length) : 0;
    const DWORD nameLength = sizeof kDefaultTarget / sizeof *kDefaultTarget - 1;
    if (nameStart != 0 && nameStart + nameLength < kTargetFieldSize) {
      for (DWORD i = 0; i <= nameLength; ++i) {
        target.path[nameStart + i] = kDefaultTarget[i];
      }
      target.length = static_cast<DWORD>(nameStart) + nameLength;
    }
  }
  if (target.length == 0 || target.length >= kTargetFieldSize) {
    target.length = 0;
    return false;
  }
  RenderTarget(target);
  return true;
}

bool ExpandExistingTarget(Target& target) {
  const DWORD length = GetLongPathNameW(target.path, target.path, kTargetFieldSize);
  const DWORD attributes = GetFileAttributesW(target.path);
  const bool isFile = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  RenderTarget(target);
  if (!isFile || length == 0 || length >= kTargetFieldSize) {
    return false;
  }
  target.length = length;
  return true;
}

std::size_t ExactPathAsModule(const Target& target, char (&exePath)[kPathFieldSize]) {
  wchar_t widePath[kPathFieldSize] = {};
  const DWORD length = target.length;
  const DWORD wideLength = length < kPathFieldSize ? length : static_cast<DWORD>(kPathFieldSize);
  for (DWORD i = 0; i < wideLength && i + 1 < kPathFieldSize; ++i) {
    widePath[i] = target.path[i];
  }
  // Best fit included, as the ANSI module call renders a name.
  const int ansiLength = WideCharToMultiByte(CP_ACP, 0, target.path, static_cast<int>(length), nullptr, 0,
                                             nullptr, nullptr);
  exePath[0] = '\0';
  std::size_t reported = kPathFieldSize;
  if (ansiLength > 0 && static_cast<std::size_t>(ansiLength) < kPathFieldSize) {
    reported = static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, target.path, static_cast<int>(length),
                                                            exePath, ansiLength, nullptr, nullptr));
    exePath[reported] = '\0';
  }
  return ExactLongPath(exePath, reported, widePath, wideLength);
}

}  // namespace notremovable
