// Settings file path derivation: beside the executable, named after it, and
// refused whenever it cannot be made in full; whether a path lies in a folder.
#include "rules/paths.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <ostream>
#include <string>
#include <vector>

namespace notremovable {
namespace {

// "C:\" and a file name of `length` characters in all, ending in `extension`.
std::string PathOfLength(std::size_t length, const std::string& extension) {
  return "C:\\" + std::string(length - 3 - extension.size(), 'm') + extension;
}

struct DerivationCase {
  const char* name;
  std::string exePath;
  std::string expectedSettingsPath;  // empty: the derivation is refused
  std::string expectedFolderPath;    // empty: as the settings path's, up to its file name
};

const DerivationCase kDerivationCases[] = {
    {"UsualExtension", "D:\\Tools\\mark.exe", "D:\\Tools\\mark.ini", "D:\\Tools\\"},
    {"DriveRoot", "C:\\mark.exe", "C:\\mark.ini", "C:\\"},
    {"Share", "\\\\server\\tools\\mark.exe", "\\\\server\\tools\\mark.ini", "\\\\server\\tools\\"},
    {"SeveralDotsLoseOnlyTheLastPart", "D:\\Tools\\mark.v2.exe", "D:\\Tools\\mark.v2.ini", ""},
    {"DotInFolderOnly", "D:\\My.Tools\\mark", "D:\\My.Tools\\mark.ini", ""},
    {"DotInFolderForwardSlash", "D:/My.Tools/mark", "D:/My.Tools/mark.ini", ""},
    {"ShortExtension", "D:\\Tools\\mark.x", "D:\\Tools\\mark.ini", ""},
    {"TrailingDot", "D:\\Tools\\mark.", "D:\\Tools\\mark.ini", ""},
    {"LongestFits", PathOfLength(255, ".exe"), PathOfLength(255, ".ini"), ""},
    {"GrowsToFieldEnd", PathOfLength(253, ".x"), PathOfLength(255, ".ini"), ""},
    {"GrowsPastField", PathOfLength(254, ".x"), "", "C:\\"},
    {"Empty", "", "", ""},
    {"NoFolder", "mark.exe", "", ""},
    {"NoFileName", "D:\\Tools\\", "", ""},
    {"ZeroByteInside", std::string("D:\\Tools\0x\\mark.exe", 19), "", ""},
};

// Names the row in ctest's listing instead of dumping its bytes.
void PrintTo(const DerivationCase& row, std::ostream* out) { *out << row.name; }

class Derivation : public testing::TestWithParam<DerivationCase> {};

TEST_P(Derivation, StaysBesideTheExecutable) {
  const DerivationCase& c = GetParam();
  char settingsPath[kPathFieldSize];
  settingsPath[0] = 'x';
  const bool made = DeriveSettingsFilePath(c.exePath.data(), c.exePath.size(), settingsPath);
  EXPECT_EQ(made, !c.expectedSettingsPath.empty());
  EXPECT_EQ(std::string(settingsPath), c.expectedSettingsPath);

  std::string expectedFolder = c.expectedFolderPath;
  if (expectedFolder.empty() && made) {
    expectedFolder = c.expectedSettingsPath.substr(0, c.expectedSettingsPath.find_last_of("\\/") + 1);
  }
  char folderPath[kPathFieldSize];
  folderPath[0] = 'x';
  EXPECT_EQ(DeriveExeFolderPath(c.exePath.data(), c.exePath.size(), folderPath),
            !expectedFolder.empty());
  EXPECT_EQ(std::string(folderPath), expectedFolder);
}

INSTANTIATE_TEST_SUITE_P(Table, Derivation, testing::ValuesIn(kDerivationCases), RowName());

struct FolderCase {
  const char* name;
  std::string path;
  std::string folder;
  bool expectInside;
};

const FolderCase kFolderCases[] = {
    {"InFolder", "C:\\windows\\system32\\mark.exe", "C:\\windows\\system32", true},
    {"OtherCase", "c:\\WINDOWS\\System32\\mark.exe", "C:\\windows\\system32", true},
    {"BelowFolder", "C:\\windows\\SysWOW64\\tools\\mark.exe", "C:\\windows\\syswow64", true},
    {"FolderWithSeparator", "C:\\windows\\system32\\mark.exe", "C:\\windows\\system32\\", true},
    {"ForwardSlashes", "C:/windows/system32/mark.exe", "C:\\windows\\system32", true},
    {"DriveRoot", "C:\\mark.exe", "C:\\", true},
    {"SiblingWithLongerName", "C:\\windows\\system32x\\mark.exe", "C:\\windows\\system32", false},
    {"ParentFolder", "C:\\windows\\mark.exe", "C:\\windows\\system32", false},
    {"TheFolderItself", "C:\\windows\\system32", "C:\\windows\\system32", false},
    {"TheFolderItselfWithSeparator", "C:\\windows\\system32\\", "C:\\windows\\system32", false},
    {"VerbatimPath", "\\\\?\\C:\\Windows\\System32\\mark.exe", "C:\\windows\\system32", true},
    {"VerbatimPathBelow", "\\\\?\\C:\\Windows\\System32\\x\\mark.exe", "C:\\windows\\system32", true},
    {"DevicePath", "\\\\.\\C:\\Windows\\System32\\mark.exe", "C:\\windows\\system32", true},
    {"VerbatimFolder", "C:\\Windows\\System32\\mark.exe", "\\\\?\\C:\\windows\\system32", true},
    {"VerbatimShare", "\\\\?\\UNC\\server\\Windows\\System32\\mark.exe", "C:\\windows\\system32", false},
    {"VerbatimPrefixOnly", "\\\\?\\", "C:\\windows\\system32", false},
    {"OtherFolder", "D:\\Tools\\mark.exe", "C:\\windows\\system32", false},
    {"EmptyFolder", "C:\\mark.exe", "", false},
    {"FolderOfSeparatorsOnly", "\\\\mark.exe", "\\", false},
};

void PrintTo(const FolderCase& row, std::ostream* out) { *out << row.name; }

class Folder : public testing::TestWithParam<FolderCase> {};

TEST_P(Folder, HoldsOnlyWhatLiesInIt) {
  const FolderCase& c = GetParam();
  EXPECT_EQ(IsInsideFolder(c.path.data(), c.path.size(), c.folder.data(), c.folder.size()),
            c.expectInside);
}

INSTANTIATE_TEST_SUITE_P(Table, Folder, testing::ValuesIn(kFolderCases), RowName());

// Where the system says an opened file really lies, against the path it was
// opened by: only the same path, however written, is the file itself; where
// the system cannot tell (it reports 0), that is not "elsewhere".
struct RealPathCase {
  const char* name;
  std::string realPath;
  std::string path;
  Whereabouts expected;
  std::size_t reported = 1;  // what the system reported: 1 for the real path's own length
};

const RealPathCase kRealPathCases[] = {
    {"SamePath", "\\\\?\\C:\\Tools\\mark.ini", "C:\\Tools\\mark.ini", Whereabouts::AsNamed},
    {"OtherCase", "\\\\?\\C:\\Tools\\Mark.INI", "c:\\tools\\mark.ini", Whereabouts::AsNamed},
    {"Share", "\\\\?\\UNC\\server\\nr\\mark.ini", "\\\\server\\nr\\mark.ini", Whereabouts::AsNamed},
    {"BothVerbatim", "\\\\?\\C:\\Tools\\mark.ini", "\\\\?\\C:\\Tools\\mark.ini", Whereabouts::AsNamed},
    {"LinkToAnotherFolder", "\\\\?\\C:\\Open\\mark.ini", "C:\\Tools\\mark.ini", Whereabouts::Elsewhere},
    {"LinkToAnotherName", "\\\\?\\C:\\Tools\\real.ini", "C:\\Tools\\mark.ini", Whereabouts::Elsewhere},
    {"DriveStandsForShare", "\\\\?\\UNC\\server\\nr\\mark.ini", "Z:\\nr\\mark.ini", Whereabouts::Elsewhere},
    {"ShareNamedLikeDrive", "\\\\?\\UNC\\C:\\Tools\\mark.ini", "C:\\Tools\\mark.ini", Whereabouts::Elsewhere},
    {"LongerRealPath", "\\\\?\\C:\\Tools\\mark.ini2", "C:\\Tools\\mark.ini", Whereabouts::Elsewhere},
    {"LetterOutsideAsciiInAnotherCase", "\\\\?\\C:\\Tools\\\xC9.ini", "C:\\Tools\\\xE9.ini", Whereabouts::Elsewhere},
    {"Empty", "\\\\?\\", "", Whereabouts::Elsewhere},
    {"TooLongForItsField", "", "C:\\Tools\\mark.ini", Whereabouts::Elsewhere, kRealPathFieldSize},
    {"CannotTell", "", "C:\\Tools\\mark.ini", Whereabouts::Unknown, 0},
};
// Each ASCII letter in the other case is the same name: the file system's fold.
std::vector<RealPathCase> RealPathRows() {
  std::vector<RealPathCase> rows(std::begin(kRealPathCases), std::end(kRealPathCases));
  static const char* const kLetterNames[] = {"CaseOfA", "CaseOfB", "CaseOfC", "CaseOfD", "CaseOfE", "CaseOfF", "CaseOfG",
                                             "CaseOfH", "CaseOfI", "CaseOfJ", "CaseOfK", "CaseOfL", "CaseOfM", "CaseOfN",
                                             "CaseOfO", "CaseOfP", "CaseOfQ", "CaseOfR", "CaseOfS", "CaseOfT", "CaseOfU",
                                             "CaseOfV", "CaseOfW", "CaseOfX", "CaseOfY", "CaseOfZ"};
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    const std::string lower(1, letter);
    const std::string upper(1, static_cast<char>(letter - 'a' + 'A'));
    rows.push_back({kLetterNames[letter - 'a'], "\\\\?\\C:\\" + upper + ".ini", "C:\\" + lower + ".ini",
                    Whereabouts::AsNamed});
  }
  return rows;
}

void PrintTo(const RealPathCase& row, std::ostream* out) { *out << row.name; }

class RealPath : public testing::TestWithParam<RealPathCase> {};

TEST_P(RealPath, IsThePathOnlyWhereNothingLeadsElsewhere) {
  const RealPathCase& c = GetParam();
  const std::size_t reported = c.reported == 1 ? c.realPath.size() : c.reported;
  EXPECT_EQ(JudgeWhereabouts(c.realPath.data(), reported, c.path.data(), c.path.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RealPath, testing::ValuesIn(RealPathRows()), RowName());

// A path handed to the system as it stands, as the plain path it stands for;
// the same for wide paths.
struct PlainCase {
  const char* name;
  std::string path;
  std::string expected;  // empty: it does not fit
};

const PlainCase kPlainCases[] = {
    {"Drive", "\\\\?\\C:\\Tools\\mark.exe", "C:\\Tools\\mark.exe"},
    {"Share", "\\\\?\\UNC\\server\\nr\\mark.exe", "\\\\server\\nr\\mark.exe"},
    {"AlreadyPlain", "C:\\Tools\\mark.exe", "C:\\Tools\\mark.exe"},
    {"PlainShare", "\\\\server\\nr\\mark.exe", "\\\\server\\nr\\mark.exe"},
    {"FillsTheField", "\\\\?\\C:\\" + std::string(252, 'm'), "C:\\" + std::string(252, 'm')},
    {"DoesNotFit", "\\\\?\\C:\\" + std::string(253, 'm'), ""},
};

void PrintTo(const PlainCase& row, std::ostream* out) { *out << row.name; }

class Plain : public testing::TestWithParam<PlainCase> {};

TEST_P(Plain, DropsOnlyWhatHandsThePathOver) {
  const PlainCase& c = GetParam();
  char plain[kPathFieldSize];
  EXPECT_EQ(PlainPathOf(c.path.data(), c.path.size(), plain, sizeof plain), c.expected.size());
  EXPECT_EQ(std::string(plain), c.expected);
  const std::wstring widePath(c.path.begin(), c.path.end());
  wchar_t widePlain[kPathFieldSize];
  EXPECT_EQ(PlainPathOf(widePath.data(), widePath.size(), widePlain, kPathFieldSize), c.expected.size());
  EXPECT_EQ(std::wstring(widePlain), std::wstring(c.expected.begin(), c.expected.end()));
}

INSTANTIATE_TEST_SUITE_P(Table, Plain, testing::ValuesIn(kPlainCases), RowName());

// What stands at the settings path when the probe could not open it, as
// Windows and Wine answer the folder's listing.
struct OpenFailureCase {
  const char* name;
  OpenFailure failure;
  SettingsFile expected;
};

const OpenFailureCase kOpenFailureCases[] = {
    {"HeldWithoutReadSharing", {OpenError::Sharing, false, false, false}, SettingsFile::Held},
    {"NothingThere", {OpenError::NotFound, false, true, false}, SettingsFile::Missing},
    {"LinkToNothingOnWindows", {OpenError::NotFound, true, false, false}, SettingsFile::LinkToNothing},
    {"LinkToNothingOnWine", {OpenError::NotFound, false, false, false}, SettingsFile::LinkToNothing},
    {"Folder", {OpenError::AccessDenied, true, false, true}, SettingsFile::Folder},
    {"DeniedFile", {OpenError::AccessDenied, true, false, false}, SettingsFile::Unreadable},
    {"DeniedAndNotListed", {OpenError::AccessDenied, false, true, true}, SettingsFile::Unreadable},
    {"NetworkError", {OpenError::Other, false, false, false}, SettingsFile::Unreadable},
};

void PrintTo(const OpenFailureCase& row, std::ostream* out) { *out << row.name; }

class FailedOpen : public testing::TestWithParam<OpenFailureCase> {};

TEST_P(FailedOpen, LetsTheDefaultStandOnlyForNothingOrAFolder) {
  EXPECT_EQ(ClassifyOpenFailure(GetParam().failure), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FailedOpen, testing::ValuesIn(kOpenFailureCases), RowName());

// What the module and path calls report: the length, 0 on failure, the
// field's size or more when they had to cut the path.
struct ReportedLengthCase {
  const char* name;
  std::size_t reported;
  bool expectWhole;
};

const ReportedLengthCase kReportedLengthCases[] = {
    {"Failed", 0, false},       {"OneCharacter", 1, true},       {"FillsField", 255, true},
    {"CutAtFieldSize", 256, false}, {"NeedsMore", 300, false},
};

void PrintTo(const ReportedLengthCase& row, std::ostream* out) { *out << row.name; }

class ReportedLength : public testing::TestWithParam<ReportedLengthCase> {};

TEST_P(ReportedLength, IsWholeOnlyBelowTheFieldSize) {
  EXPECT_EQ(IsWholePath(GetParam().reported), GetParam().expectWhole);
}

INSTANTIATE_TEST_SUITE_P(Table, ReportedLength, testing::ValuesIn(kReportedLengthCases), RowName());

}  // namespace
}  // namespace notremovable
