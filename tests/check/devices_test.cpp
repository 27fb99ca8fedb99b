// How a device's ID lists match an ID as Windows matches an override, and
// whether the override is in effect on a device.
#include "check/devices.h"

#include <gtest/gtest.h>

#include "table_rows.h"

#include <ostream>
#include <string>

namespace notremovable {
namespace {

Text Span(const std::string& text) { return {text.data(), text.size()}; }

// ID lists as SetupAPI gives them: REG_MULTI_SZ ("A\0B\0\0") or REG_SZ ("A\0").
struct MatchCase {
  const char* name;
  std::string hardware;
  std::string compatible;
  std::string instancePath;
  std::string id;
  IdMatch expected;
};

const std::string kDock("USB\\VID_1111&PID_2222&REV_0100\0USB\\VID_1111&PID_2222\0\0", 54);
const std::string kStorage("USB\\Class_08&SubClass_06&Prot_50\0USB\\Class_08\0\0", 47);

const MatchCase kMatchCases[] = {
    {"MostSpecific", kDock, kStorage, "", "USB\\VID_1111&PID_2222&REV_0100", IdMatch::MostSpecific},
    {"LessSpecific", kDock, kStorage, "", "USB\\VID_1111&PID_2222", IdMatch::LessSpecific},
    {"Compatible", kDock, kStorage, "", "USB\\Class_08&SubClass_06&Prot_50", IdMatch::Compatible},
    {"None", kDock, kStorage, "", "USB\\VID_1111&PID_2223", IdMatch::None},
    {"PrefixOfAnId", kDock, kStorage, "", "USB\\VID_1111", IdMatch::None},
    {"OtherAsciiCase", kDock, kStorage, "", "usb\\vid_1111&pid_2222&rev_0100", IdMatch::MostSpecific},
    {"DottedAndDotlessI", std::string("USB\\\xDD\0\0", 7), "", "", "USB\\i", IdMatch::None},
    {"SingleString", std::string("USB\\VID_1111&PID_2222\0", 22), "", "", "USB\\VID_1111&PID_2222",
     IdMatch::MostSpecific},
    {"UnterminatedList", "USB\\VID_1111&PID_2222", "", "", "USB\\VID_1111&PID_2222", IdMatch::MostSpecific},
    {"EmptyLists", "", "", "", "USB\\VID_1111&PID_2222", IdMatch::None},
    {"EmptyId", kDock, kStorage, "", "", IdMatch::None},
    // Wine lists a device's instance path first among its IDs; Windows does not.
    {"InstancePathSkipped", std::string("HID\\VID_845E&PID_0001\\0&0000&0&0\0HID\\VID_845E&PID_0001\0\0", 56),
     "", "HID\\VID_845E&PID_0001\\0&0000&0&0", "HID\\VID_845E&PID_0001", IdMatch::MostSpecific},
};

void PrintTo(const MatchCase& row, std::ostream* out) { *out << row.name; }

class Match : public testing::TestWithParam<MatchCase> {};

TEST_P(Match, IsHowWindowsFindsTheOverride) {
  const MatchCase& c = GetParam();
  const DeviceIds ids = {Span(c.hardware), Span(c.compatible), Span(c.instancePath)};
  EXPECT_EQ(MatchDeviceIds(ids, Span(c.id)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Match, testing::ValuesIn(kMatchCases), RowName());

// The computer's own container, {00000000-0000-0000-FFFF-FFFFFFFFFFFF}, and another.
constexpr ContainerFacts kComputerId = {false, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
constexpr ContainerFacts kOtherId = {false, false, true, {0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};

struct EffectCase {
  const char* name;
  ContainerFacts container;
  OverrideEffect expected;
};

const EffectCase kEffectCases[] = {
    {"InLocalMachineContainer", {true, true, false, {}}, OverrideEffect::InEffect},
    {"NotInLocalMachineContainer", {true, false, false, {}}, OverrideEffect::NotYet},
    {"FlagBeforeContainerId", {true, false, true, {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
     OverrideEffect::NotYet},
    {"ComputersContainerId", kComputerId, OverrideEffect::InEffect},
    {"OtherContainerId", kOtherId, OverrideEffect::NotYet},
    {"NoProperty", {false, false, false, {}}, OverrideEffect::CannotTell},
};

void PrintTo(const EffectCase& row, std::ostream* out) { *out << row.name; }

class Effect : public testing::TestWithParam<EffectCase> {};

TEST_P(Effect, FollowsTheComputersContainer) {
  EXPECT_EQ(JudgeOverrideEffect(GetParam().container), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Effect, testing::ValuesIn(kEffectCases), RowName());

}  // namespace
}  // namespace notremovable
