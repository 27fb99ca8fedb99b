// The executable's own path, exactly; the kind of Windows it runs on, and
// whether a read from its folder reaches that folder; where a file held open
// really lies.
#pragma once

#include <cstddef>

#include "rules/paths.h"
#include "rules/settings.h"

namespace notremovable {

// Fills the field with the executable's full long path in the ANSI code page
// and its length, or leaves the field empty and says why: the path would be
// cut, its long form cannot be had, or it is not an exact rendering of the
// real one (a letter outside the code page, a look-alike put in its place).
// Short (8.3) names are expanded, so that the settings file is named after
// the long name.
Refusal GetExactExePath(char (&exePath)[kPathFieldSize], std::size_t& length);

// The same for any module path: ansiPath as the ANSI calls render it and
// widePath as it really is, each with the length its call reported. Both are
// expanded in place; the ANSI one is kept when it is exact.
Refusal ExactLongPath(char (&ansiPath)[kPathFieldSize], std::size_t ansiLength,
                      wchar_t (&widePath)[kPathFieldSize], std::size_t wideLength, std::size_t& length);

// A 32-bit x86 build runs under WOW64 on 64-bit Windows, which redirects its
// reads from the system folder; an x86-64 build (a test build, for hosts that
// run no 32-bit code) runs natively. A fact of the build, so told by the compiler.
#if defined(_WIN64)
inline constexpr bool kBuiltFor32BitX86 = false;
#else
inline constexpr bool kBuiltFor32BitX86 = true;
#endif

// 32-bit Windows, or 64-bit Windows with this 32-bit program under WOW64, or
// 64-bit Windows with this program built for x86-64.
WindowsKind RunningWindowsKind();

// Whether a read from the executable's folder reaches that folder. Under WOW64
// the system folder is redirected to the WOW64 system folder, and an exe in the
// latter may have been started as the former: from either (or a folder below
// them) the folder a read reaches is unknown, as it is where the kind of
// Windows cannot be told. An x86-64 build's reads always reach its folder.
bool ReadsReachExeFolder(const char* exePath, std::size_t length);

// Fills the field with where the file a handle holds open really lies
// ("\\?\C:\..." or "\\?\UNC\..."), and returns the length the system reported:
// 0 when it cannot tell (error then says why), the field's size or more when
// the path does not fit (the field is then empty).
std::size_t RealPathOf(void* file, char (&realPath)[kRealPathFieldSize], unsigned long& error);

}  // namespace notremovable
