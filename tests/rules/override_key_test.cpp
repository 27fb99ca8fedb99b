// The override key composition on its worked examples and the bounds of the
// IDs that are acted on, and the key Windows itself reads for an ID.
#include "rules/override_key.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <cstring>
#include <ostream>
#include <string>

#include "rules/device_id.h"

namespace notremovable {
namespace {

// The key for "USB\" followed by `length` letters A.
std::string UsbKeyOfLength(std::size_t length) {
  return "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#" + std::string(length, 'A') +
         "\\LocationPaths\\*";
}

struct CompositionCase {
  const char* name;
  std::string deviceId;
  std::string expectedKeyPath;  // empty: the ID is refused
};

const CompositionCase kCompositionCases[] = {
    {"Default", "USB\\VID_0DB0&PID_A871",
     "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#VID_0DB0&PID_A871\\LocationPaths\\*"},
    {"FourthCharacterNotBackslash", "USB_VID_0DB0&PID_A871",
     "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#VID_0DB0&PID_A871\\LocationPaths\\*"},
    {"LongEnumeratorAddsLevel", "HDAUDIO\\FUNC_01&VEN_ABCD",
     "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\HDA#DIO\\FUNC_01&VEN_ABCD\\LocationPaths\\*"},
    {"Empty", "", ""},
    {"TwentyCharacters", "USB\\VID_0DB0&PID_A87", ""},
    {"TwentyOneCharacters", "USB\\" + std::string(17, 'A'), UsbKeyOfLength(17)},
    {"SixtyTwoCharacters", "USB\\" + std::string(58, 'A'), UsbKeyOfLength(58)},
    {"SixtyThreeCharacters", "USB\\" + std::string(59, 'A'), UsbKeyOfLength(59)},
    {"LongestActedOn", "USB\\" + std::string(250, 'A'), UsbKeyOfLength(250)},
    {"FillsReadBuffer", "USB\\" + std::string(251, 'A'), ""},
    {"Unterminated", std::string(kDeviceIdFieldSize, 'A'), ""},
};

// Names the row in ctest's listing instead of dumping its bytes.
void PrintTo(const CompositionCase& row, std::ostream* out) { *out << row.name; }

class Composition : public testing::TestWithParam<CompositionCase> {};

TEST_P(Composition, ActsOnBoundedIdsAndComposesTheirKey) {
  const CompositionCase& c = GetParam();
  char deviceId[kDeviceIdFieldSize];
  LayIntoField(c.deviceId, deviceId);

  const bool expectActed = !c.expectedKeyPath.empty();
  ASSERT_EQ(IsDeviceIdActedOn(deviceId), expectActed);
  if (expectActed) {
    char keyPath[kOverrideKeyPathFieldSize];
    std::memset(keyPath, 'x', sizeof keyPath);
    ComposeOverrideKeyPath(deviceId, keyPath);
    EXPECT_EQ(std::string(keyPath), c.expectedKeyPath);
    EXPECT_EQ(std::strlen(keyPath), c.deviceId.size() + 65);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Composition, testing::ValuesIn(kCompositionCases), RowName());

// The key Windows reads an override from for an ID, against the exe's key.
struct WindowsKeyCase {
  const char* name;
  std::string id;
  std::string expectedLevel;  // between DeviceOverrides\ and \LocationPaths\*
  bool sameAsExe;
};

const WindowsKeyCase kWindowsKeyCases[] = {
    {"ThreeLetters", "USB\\VID_0DB0&PID_A871", "USB#VID_0DB0&PID_A871", true},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", "HDAUDIO#FUNC_01&VEN_ABCD", false},
    {"FurtherBackslash", "USB\\VID_0DB0&PID_A871\\5&2F3B1C&0&2", "USB#VID_0DB0&PID_A871#5&2F3B1C&0&2", false},
    {"NoBackslash", "USB_VID_0DB0&PID_A871", "USB_VID_0DB0&PID_A871", false},
};

void PrintTo(const WindowsKeyCase& row, std::ostream* out) { *out << row.name; }

class WindowsKey : public testing::TestWithParam<WindowsKeyCase> {};

TEST_P(WindowsKey, HasEveryBackslashAsHash) {
  const WindowsKeyCase& c = GetParam();
  char deviceId[kDeviceIdFieldSize];
  LayIntoField(c.id, deviceId);
  char windowsKey[kOverrideKeyPathFieldSize];
  char exeKey[kOverrideKeyPathFieldSize];
  ComposeWindowsOverrideKeyPath(deviceId, windowsKey);
  ComposeOverrideKeyPath(deviceId, exeKey);
  EXPECT_EQ(std::string(windowsKey), "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\" +
                                         c.expectedLevel + "\\LocationPaths\\*");
  EXPECT_EQ(std::string(windowsKey) == exeKey, c.sameAsExe);
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsKey, testing::ValuesIn(kWindowsKeyCases), RowName());

}  // namespace
}  // namespace notremovable
