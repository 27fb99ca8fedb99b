// The devices that SetupAPI lists, present now or installed before, as
// Windows matches an override to them: one report line for each that has the
// ID, and the count for the summary.
#pragma once

#include "check_report.h"

namespace notremovable {

// One walk over every device. Each one's hardware and compatible IDs are read
// whole, whatever their size and type; a device whose instance path the ID is
// gets a line of its own and is not counted among those that have it.
DeviceTally ReportDevicesWithId(const char* id, ReportOut& out);

}  // namespace notremovable
