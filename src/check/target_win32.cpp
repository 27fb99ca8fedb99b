// The target's path, what stands there, its renderings, and its path as the
// exe's module calls would give it.
#include "check/target_win32.h"

#include "win32/handle.h"
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

// What the loader would make of the file: its DOS header, then its headers
// where that one says they lie, judged against its size. The exe judged is
// built as this program is, for the same machine.
PeVerdict JudgeProgram(HANDLE file) {
  unsigned char dosHeader[kDosHeaderSize];
  DWORD read = 0;
  LARGE_INTEGER size = {};
  if (ReadFile(file, dosHeader, sizeof dosHeader, &read, nullptr) == FALSE ||
      GetFileSizeEx(file, &size) == FALSE) {
    return PeVerdict::NotAProgram;
  }
  const std::uint32_t offset = PeHeaderOffset(dosHeader, read);
  static unsigned char headers[kPeHeadersFieldSize];
  LARGE_INTEGER at = {};
  at.QuadPart = offset;
  if (offset == 0 || SetFilePointerEx(file, at, nullptr, FILE_BEGIN) == FALSE ||
      ReadFile(file, headers, sizeof headers, &read, nullptr) == FALSE) {
    return PeVerdict::NotAProgram;
  }
  return JudgePeHeaders(headers, read, offset, static_cast<std::uint64_t>(size.QuadPart),
                        kBuiltFor32BitX86 ? kMachineI386 : kMachineAmd64);
}

}  // namespace

void FindTarget(const wchar_t* named, Target& target, TargetFacts& facts) {
  target.length = 0;
  wchar_t full[kTargetFieldSize];
  DWORD length = 0;
  if (named != nullptr) {
    length = GetFullPathNameW(named, kTargetFieldSize, full, nullptr);
  } else {
    const DWORD moduleLength = GetModuleFileNameW(nullptr, full, kTargetFieldSize);
    const std::size_t nameStart = moduleLength < kTargetFieldSize ? FileNameStart(full, moduleLength) : 0;
    const DWORD nameLength = sizeof kDefaultTarget / sizeof *kDefaultTarget - 1;
    if (nameStart != 0 && nameStart + nameLength < kTargetFieldSize) {
      for (DWORD i = 0; i <= nameLength; ++i) {
        full[nameStart + i] = kDefaultTarget[i];
      }
      length = static_cast<DWORD>(nameStart) + nameLength;
    }
  }
  facts.pathUnusable = length == 0 || length >= kTargetFieldSize;
  if (facts.pathUnusable) {
    return;
  }
  target.length = static_cast<DWORD>(PlainPathOf(full, length, target.path, kTargetFieldSize));
  RenderTarget(target);
  facts.devicePath = IsDevicePath({full, length});
}

void LookAtTarget(Target& target, TargetFacts& facts) {
  facts.lookedAt = true;
  facts.program = PeVerdict::NotAProgram;
  const DWORD attributes = GetFileAttributesW(target.path);
  facts.found = attributes != INVALID_FILE_ATTRIBUTES;
  if (!facts.found) {
    facts.error = GetLastError();
    facts.notFound = facts.error == ERROR_FILE_NOT_FOUND || facts.error == ERROR_PATH_NOT_FOUND;
    return;
  }
  facts.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!facts.folder) {
    const FileHandle file(CreateFileW(target.path, GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    facts.opened = file.IsOpen();
    facts.error = facts.opened ? ERROR_SUCCESS : GetLastError();
    facts.diskFile = facts.opened && GetFileType(file.Get()) == FILE_TYPE_DISK;
    facts.program = facts.diskFile ? JudgeProgram(file.Get()) : PeVerdict::NotAProgram;
  }
  // A program's long form, where every folder on its way can be listed; the
  // exe's own expansion fails there too, and says so.
  const DWORD length =
      facts.program == PeVerdict::ConsoleProgram ? GetLongPathNameW(target.path, target.path, kTargetFieldSize) : 0;
  if (length != 0 && length < kTargetFieldSize) {
    target.length = length;
    RenderTarget(target);
  }
}

Refusal ExactPathAsModule(const Target& target, char (&exePath)[kPathFieldSize], std::size_t& length) {
  wchar_t widePath[kPathFieldSize] = {};
  const DWORD wideLength = target.length < kPathFieldSize ? target.length : static_cast<DWORD>(kPathFieldSize);
  for (DWORD i = 0; i < wideLength && i + 1 < kPathFieldSize; ++i) {
    widePath[i] = target.path[i];
  }
  // Best fit included, as the ANSI module call renders a name.
  const int ansiLength = WideCharToMultiByte(CP_ACP, 0, target.path, static_cast<int>(target.length),
                                             nullptr, 0, nullptr, nullptr);
  exePath[0] = '\0';
  std::size_t reported = kPathFieldSize;
  if (ansiLength > 0 && static_cast<std::size_t>(ansiLength) < kPathFieldSize) {
    reported = static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, target.path,
                                                            static_cast<int>(target.length), exePath,
                                                            ansiLength, nullptr, nullptr));
    exePath[reported] = '\0';
  }
  return ExactLongPath(exePath, reported, widePath, wideLength, length);
}

}  // namespace notremovable
