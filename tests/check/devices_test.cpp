// Which devices the exe's key reaches, as Windows matches an override by a
// device's IDs, each under its own key; whom the key is for; and which
// container Windows says a device is in.
#include "check/devices.h"
#include "check/verdict.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <ostream>
#include <string>

#include "rules/override_key.h"

namespace notremovable {
namespace {

WideText Span(const std::wstring& text) { return {text.data(), text.size()}; }

// ID lists as SetupAPI gives them: REG_MULTI_SZ ("A\0B\0\0") or REG_SZ ("A\0").
struct MatchCase {
  const char* name;
  std::wstring hardware;
  std::wstring compatible;
  std::wstring instancePath;
  std::string keyLevel;  // of the exe's key
  std::string value;     // as configured
  IdMatch expected;
};

const std::wstring kDock(L"USB\\VID_1111&PID_2222&REV_0100\0USB\\VID_1111&PID_2222\0\0", 54);
const std::wstring kStorage(L"USB\\Class_08&SubClass_06&Prot_50\0USB\\Class_08\0\0", 47);

const MatchCase kMatchCases[] = {
    {"MostSpecific", kDock, kStorage, L"", "USB#VID_1111&PID_2222&REV_0100", "", IdMatch::MostSpecific},
    {"LessSpecific", kDock, kStorage, L"", "USB#VID_1111&PID_2222", "", IdMatch::LessSpecific},
    {"Compatible", kDock, kStorage, L"", "USB#Class_08&SubClass_06&Prot_50", "", IdMatch::Compatible},
    {"None", kDock, kStorage, L"", "USB#VID_1111&PID_2223", "", IdMatch::None},
    {"PrefixOfAnId", kDock, kStorage, L"", "USB#VID_1111", "", IdMatch::None},
    {"OtherAsciiCase", kDock, kStorage, L"", "usb#vid_1111&pid_2222&rev_0100", "", IdMatch::MostSpecific},
    {"CaseOfZ", std::wstring(L"USB\\VID_1111&PID_222Z\0", 22), L"", L"", "usb#vid_1111&pid_222z", "",
     IdMatch::MostSpecific},
    // The ANSI calls render these as K, K and i; they are other letters.
    {"KelvinSign", std::wstring(L"USB\\VID_1111&PID_222\u212A\0", 22), L"", L"", "USB#VID_1111&PID_222K", "",
     IdMatch::None},
    {"FullwidthK", std::wstring(L"USB\\VID_1111&PID_222\uFF2B\0", 22), L"", L"", "USB#VID_1111&PID_222K", "",
     IdMatch::None},
    {"DotlessI", std::wstring(L"USB\\\u0131\0\0", 7), L"", L"", "USB#I", "", IdMatch::None},
    // Its low byte is a K, but it is no letter of ASCII.
    {"LowByteOfALetter", std::wstring(L"USB\\VID_1111&PID_222\u014B\0", 22), L"", L"", "USB#VID_1111&PID_222K", "",
     IdMatch::None},
    // The device's own key is the ID with every \ as #: a key with a further level is none's.
    {"FurtherLevel", kDock, kStorage, L"", "USB#VID_1111&PID_2222\\REV_0100", "", IdMatch::None},
    {"HashInTheId", std::wstring(L"USB#VID_1111&PID_2222\0", 22), L"", L"", "USB#VID_1111&PID_2222", "",
     IdMatch::MostSpecific},
    {"SlashInTheId", std::wstring(L"USB/VID_1111&PID_2222\0", 22), L"", L"", "USB#VID_1111&PID_2222", "",
     IdMatch::None},
    {"SingleString", std::wstring(L"USB\\VID_1111&PID_2222\0", 22), L"", L"", "USB#VID_1111&PID_2222", "",
     IdMatch::MostSpecific},
    {"UnterminatedList", L"USB\\VID_1111&PID_2222", L"", L"", "USB#VID_1111&PID_2222", "", IdMatch::MostSpecific},
    {"EmptyLists", L"", L"", L"", "USB#VID_1111&PID_2222", "", IdMatch::None},
    {"EmptyKeyLevel", kDock, kStorage, L"", "", "", IdMatch::None},
    // Wine lists a device's instance path first among its IDs; Windows does not.
    {"InstancePathSkipped", std::wstring(L"HID\\VID_845E&PID_0001\\0&0000&0&0\0HID\\VID_845E&PID_0001\0\0", 56),
     L"", L"HID\\VID_845E&PID_0001\\0&0000&0&0", "HID#VID_845E&PID_0001", "", IdMatch::MostSpecific},
    {"ValueIsInstancePath", kDock, L"", L"USB\\VID_1111&PID_2222\\5&2F3B1C&0&2", "USB#VID_1111&PID_2222\\5&2F3B1C&0&2",
     "usb\\vid_1111&pid_2222\\5&2f3b1c&0&2", IdMatch::InstancePath},
};

void PrintTo(const MatchCase& row, std::ostream* out) { *out << row.name; }

class Match : public testing::TestWithParam<MatchCase> {};

TEST_P(Match, IsHowWindowsFindsTheOverride) {
  const MatchCase& c = GetParam();
  const DeviceIds ids = {Span(c.hardware), Span(c.compatible), Span(c.instancePath)};
  EXPECT_EQ(MatchDevice(ids, {c.keyLevel.data(), c.keyLevel.size()}, {c.value.data(), c.value.size()}),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Match, testing::ValuesIn(kMatchCases), RowName());

// Whom the exe's key for a configured value is for, as both keys are composed.
struct ReachCase {
  const char* name;
  std::string value;
  KeyReach expected;
};

const ReachCase kReachCases[] = {
    {"HardwareId", "USB\\VID_1111&PID_2222", KeyReach::TheId},
    {"Slash", "USB/VID_1111&PID_2222", KeyReach::AnotherSpelling},
    {"Underscore", "USB_VID_1111&PID_2222", KeyReach::AnotherSpelling},
    {"Hash", "USB#VID_1111&PID_2222", KeyReach::TheId},
    {"LongEnumerator", "HDAUDIO\\FUNC_01&VEN_ABCD", KeyReach::NoId},
    {"InstancePath", "USB\\VID_1111&PID_2222\\5&2F3B1C&0&2", KeyReach::NoId},
};

void PrintTo(const ReachCase& row, std::ostream* out) { *out << row.name; }

class Reach : public testing::TestWithParam<ReachCase> {};

TEST_P(Reach, NamesWhomTheKeyIsFor) {
  char deviceId[kDeviceIdFieldSize];
  LayIntoField(GetParam().value, deviceId);
  char exeKey[kOverrideKeyPathFieldSize];
  char windowsKey[kOverrideKeyPathFieldSize];
  ComposeOverrideKeyPath(deviceId, exeKey);
  ComposeWindowsOverrideKeyPath(deviceId, windowsKey);
  EXPECT_EQ(JudgeKeyReach(OverrideKeyLevel(exeKey), OverrideKeyLevel(windowsKey)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Reach, testing::ValuesIn(kReachCases), RowName());

// The computer's own container, {00000000-0000-0000-FFFF-FFFFFFFFFFFF}, and others.
constexpr ContainerFacts kComputerId = {false, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
constexpr ContainerFacts kOtherId = {false, false, true, {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
constexpr ContainerFacts kZerosThenOther = {false, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE}};

struct ContainerCase {
  const char* name;
  ContainerFacts container;
  Container expected;
};

const ContainerCase kContainerCases[] = {
    {"InLocalMachineContainer", {true, true, false, {}}, Container::TheComputers},
    {"NotInLocalMachineContainer", {true, false, false, {}}, Container::OfItsOwn},
    {"FlagBeforeContainerId", {true, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
     Container::OfItsOwn},
    {"ComputersContainerId", kComputerId, Container::TheComputers},
    {"OtherContainerId", kOtherId, Container::OfItsOwn},
    {"FirstEightBytesZeroOnly", kZerosThenOther, Container::OfItsOwn},
    {"NoProperty", {false, false, false, {}}, Container::CannotTell},
};

void PrintTo(const ContainerCase& row, std::ostream* out) { *out << row.name; }

class ContainerOf : public testing::TestWithParam<ContainerCase> {};

TEST_P(ContainerOf, IsTheComputersOnlyByItsFlagOrItsId) {
  EXPECT_EQ(JudgeContainer(GetParam().container), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ContainerOf, testing::ValuesIn(kContainerCases), RowName());

}  // namespace
}  // namespace notremovable
