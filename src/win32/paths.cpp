// The executable's exact long path, checked against the wide module path, the
// WOW64 system folders from which it cannot know what it reads, and the real
// path of a file held open.
#include "win32/paths.h"

#include <windows.h>

namespace notremovable {
namespace {

constexpr DWORD kPathFieldCount = static_cast<DWORD>(kPathFieldSize);

}  // namespace

Refusal ExactLongPath(char (&ansiPath)[kPathFieldSize], std::size_t ansiLength,
                      wchar_t (&widePath)[kPathFieldSize], std::size_t wideLength, std::size_t& length) {
  length = 0;
  Refusal refusal = Refusal::ExePathTooLong;
  if (IsWholePath(ansiLength) && IsWholePath(wideLength)) {
    // In place, as the calls allow: a path the ANSI rendering garbled names no
    // file, or another one, which the comparison below tells.
    ansiLength = GetLongPathNameA(ansiPath, ansiPath, kPathFieldCount);
    wideLength = GetLongPathNameW(widePath, widePath, kPathFieldCount);
    // Where the real path cannot be expanded, a folder on its way cannot be
    // listed; where only the rendering cannot, the rendering names no file.
    if (wideLength == 0) {
      refusal = Refusal::ExeLongPathUnknown;
    } else if (ansiLength == 0) {
      refusal = Refusal::ExePathNotExact;
    }
  }
  // The ANSI path is exact when it converts back to the wide one, character for
  // character; a byte that is no character of the code page fails the conversion.
  bool exact = IsWholePath(ansiLength) && IsWholePath(wideLength);
  refusal = exact ? Refusal::ExePathNotExact : refusal;
  if (exact) {
    wchar_t convertedBack[kPathFieldSize];
    const int convertedLength =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ansiPath, static_cast<int>(ansiLength),
                            convertedBack, static_cast<int>(kPathFieldCount));
    exact = convertedLength == static_cast<int>(wideLength);
    for (std::size_t i = 0; exact && i < wideLength; ++i) {
      exact = convertedBack[i] == widePath[i];
    }
  }
  if (!exact) {
    ansiPath[0] = '\0';
    return refusal;
  }
  length = ansiLength;
  return Refusal::None;
}

Refusal GetExactExePath(char (&exePath)[kPathFieldSize], std::size_t& length) {
  exePath[0] = '\0';
  const DWORD ansiLength = GetModuleFileNameA(nullptr, exePath, kPathFieldCount);
  wchar_t widePath[kPathFieldSize];
  const DWORD wideLength = GetModuleFileNameW(nullptr, widePath, kPathFieldCount);
  return ExactLongPath(exePath, ansiLength, widePath, wideLength, length);
}

WindowsKind RunningWindowsKind() {
  if constexpr (!kBuiltFor32BitX86) {
    return WindowsKind::Bits64Native;
  }
  // There is a WOW64 system folder on 64-bit Windows only: on 32-bit Windows
  // the call is documented to fail, and to say that it is not implemented.
  char folder[kPathFieldSize];
  if (GetSystemWow64DirectoryA(folder, kPathFieldCount) != 0) {
    return WindowsKind::Bits64;
  }
  return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED ? WindowsKind::Bits32 : WindowsKind::Unknown;
}

bool ReadsReachExeFolder(const char* exePath, std::size_t length) {
  if constexpr (!kBuiltFor32BitX86) {
    return true;
  }
  char folder[kPathFieldSize];
  const UINT wow64Length = GetSystemWow64DirectoryA(folder, kPathFieldCount);
  if (wow64Length == 0) {
    // 32-bit Windows redirects nothing; where the call fails otherwise, the
    // folder a read reaches cannot be told.
    return GetLastError() == ERROR_CALL_NOT_IMPLEMENTED;
  }
  if (!IsWholePath(wow64Length) || IsInsideFolder(exePath, length, folder, wow64Length)) {
    return false;
  }
  const UINT systemLength = GetSystemDirectoryA(folder, kPathFieldCount);
  return IsWholePath(systemLength) && !IsInsideFolder(exePath, length, folder, systemLength);
}

std::size_t RealPathOf(void* file, char (&realPath)[kRealPathFieldSize], unsigned long& error) {
  const DWORD reported = GetFinalPathNameByHandleA(file, realPath, static_cast<DWORD>(kRealPathFieldSize),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  error = GetLastError();  // told only where it reports 0
  // The call reports the size it needs when the field is too small.
  if (reported == 0 || reported >= kRealPathFieldSize) {
    realPath[0] = '\0';
  }
  return reported;
}

}  // namespace notremovable
