// The walk over the devices that SetupAPI lists, present now or installed
// before: each one the exe's key reaches is handed to the caller with its facts.
#pragma once

#include "check/devices.h"
#include "rules/text.h"

namespace notremovable {

// Takes what the walk finds; it writes nothing itself.
class DeviceVisitor {
 public:
  virtual void Take(const DeviceFacts& device) = 0;
  // A device whose ID lists cannot be read.
  virtual void TakeUnreadable() = 0;

 protected:
  DeviceVisitor() = default;
  ~DeviceVisitor() = default;
  DeviceVisitor(const DeviceVisitor&) = default;
  DeviceVisitor& operator=(const DeviceVisitor&) = default;
};

// One walk over every device. Each one's IDs, name and properties are read
// with the wide calls, whole, whatever their size and type; a device is
// handed over where one of its IDs leads to the exe's key level, or where the
// configured value is its instance path. Returns false when the devices
// cannot be listed.
bool WalkDevices(Text keyLevel, Text value, DeviceVisitor& visitor);

}  // namespace notremovable
