// Which values read are taken whole, and what a hardware ID never holds.
#include "rules/device_id.h"
#include "rules/settings.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <cstring>
#include <ostream>
#include <string>

namespace notremovable {
namespace {

struct ReadValueCase {
  const char* name;
  std::string value;       // what the reader left in its buffer
  std::size_t readLength;  // what it reported
  bool expectTaken;
};

const ReadValueCase kReadValueCases[] = {
    {"Default", "USB\\VID_0DB0&PID_A871", 21, true},
    {"Empty", "", 0, true},
    {"LongestTaken", "USB\\" + std::string(250, 'A'), 254, true},
    {"OneLongerThanTaken", "USB\\" + std::string(251, 'A'), 255, false},
    {"FillsOldFieldSize", "USB\\" + std::string(252, 'A'), 256, false},
    {"CutByReader", std::string(kReadBufferSize - 1, 'A'), kReadBufferSize - 1, false},
    {"ReaderReportsCut", "USB\\VID_0DB0&PID_A871", kReadBufferSize - 1, false},
    {"Unterminated", std::string(kReadBufferSize, 'A'), kReadBufferSize - 1, false},
};

void PrintTo(const ReadValueCase& row, std::ostream* out) { *out << row.name; }

class ReadValue : public testing::TestWithParam<ReadValueCase> {};

TEST_P(ReadValue, IsTakenOnlyWhole) {
  const ReadValueCase& c = GetParam();
  char readBuffer[kReadBufferSize];
  LayIntoField(c.value, readBuffer);
  char deviceId[kDeviceIdFieldSize];
  std::memset(deviceId, 'x', sizeof deviceId);
  EXPECT_EQ(TakeWholeValue(readBuffer, c.readLength, deviceId), c.expectTaken);
  EXPECT_EQ(std::string(deviceId), c.expectTaken ? c.value : std::string());
}

INSTANTIATE_TEST_SUITE_P(Table, ReadValue, testing::ValuesIn(kReadValueCases), RowName());

// What a hardware ID never holds, as the check program warns of it.
struct OddityCase {
  const char* name;
  std::string value;
  bool space, semicolon, outsideAscii, thirdPart;
};

const OddityCase kOddityCases[] = {
    {"HardwareId", "USB\\VID_0DB0&PID_A871&REV_0100", false, false, false, false},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", false, false, false, false},
    {"CommentAfterValue", "USB\\VID_0DB0&PID_A871 ; dock", true, true, false, false},
    {"Tab", "USB\\VID_0DB0&PID_A871\tx", true, false, true, false},
    {"LetterOutsideAscii", "USB\\VID_0DB0&PID_A871\xe9", false, false, true, false},
    {"Delete", "USB\\VID_0DB0&PID_A871\x7f", false, false, true, false},
    {"InstancePath", "USB\\VID_0DB0&PID_A871\\5&2F3B1C&0&2", false, false, false, true},
};

void PrintTo(const OddityCase& row, std::ostream* out) { *out << row.name; }

class Oddity : public testing::TestWithParam<OddityCase> {};

TEST_P(Oddity, IsFoundWhereAHardwareIdNeverHasIt) {
  const OddityCase& c = GetParam();
  const IdOddities found = FindIdOddities(c.value.data(), c.value.size());
  EXPECT_EQ(found.space, c.space);
  EXPECT_EQ(found.semicolon, c.semicolon);
  EXPECT_EQ(found.outsideAscii, c.outsideAscii);
  EXPECT_EQ(found.thirdPart, c.thirdPart);
}

INSTANTIATE_TEST_SUITE_P(Table, Oddity, testing::ValuesIn(kOddityCases), RowName());

// What the profile reader's answer means, asked with the default no value
// equals, as Windows and Wine answer.
struct AnswerCase {
  const char* name;
  std::string answer;
  unsigned long error;
  ProfileAnswer expected;
};

const AnswerCase kAnswerCases[] = {
    {"Value", "USB\\VID_1111&PID_2222", 0, ProfileAnswer::Value},
    {"ValueWithAStaleError", "USB\\VID_1111&PID_2222", 8, ProfileAnswer::Value},
    {"NoKeyOnWine", kNoValue, 0, ProfileAnswer::NoDevId},
    {"NoKeyOnWindows", kNoValue, 2, ProfileAnswer::NoDevId},
    {"FileTooLargeForWine", kNoValue, 8, ProfileAnswer::ReadFailed},
    {"NetworkError", kNoValue, 64, ProfileAnswer::ReadFailed},
    {"DefaultCut", std::string(kNoValue, 3), 0, ProfileAnswer::Value},
};

void PrintTo(const AnswerCase& row, std::ostream* out) { *out << row.name; }

class Answer : public testing::TestWithParam<AnswerCase> {};

TEST_P(Answer, TellsAMissingKeyFromAFailedRead) {
  char value[kReadBufferSize];
  LayIntoField(GetParam().answer, value);
  EXPECT_EQ(ClassifyProfileAnswer(value, GetParam().error), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Answer, testing::ValuesIn(kAnswerCases), RowName());

}  // namespace
}  // namespace notremovable
