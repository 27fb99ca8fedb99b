// The executable's own path, exactly: the folder where its settings file lies.
#pragma once

#include <cstddef>

#include "constants.h"

namespace notremovable {

// Fills the field with the executable's full long path in the ANSI code page
// and returns its length, or returns 0 with the field empty when that path is
// not an exact rendering of the real one (a letter outside the code page, a
// look-alike put in its place, a cut) or cannot be had at all. Short (8.3)
// names are expanded, so that the settings file is named after the long name.
std::size_t GetExactExePath(char (&exePath)[kPathFieldSize]);

// The same for any module path: ansiPath as the ANSI calls render it and
// widePath as it really is, each with the length its call reported. Both are
// expanded in place; the ANSI one is kept when it is exact.
std::size_t ExactLongPath(char (&ansiPath)[kPathFieldSize], std::size_t ansiLength,
                          wchar_t (&widePath)[kPathFieldSize], std::size_t wideLength);

// Whether a read from the executable's folder reaches that folder. Under WOW64
// the system folder is redirected to the WOW64 system folder, and an exe in the
// latter may have been started as the former: from either (or a folder below
// them) the folder a read reaches is unknown.
bool ReadsReachExeFolder(const char* exePath, std::size_t length);

}  // namespace notremovable
