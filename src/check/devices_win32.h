// The walk over the devices that SetupAPI lists, present now or installed
// before: each one that has the ID is handed to the caller with its facts.
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

// One walk over every device. Each one's hardware and compatible IDs are read
// whole, whatever their size and type, and matched against the ID. Returns
// false when the devices cannot be listed.
bool WalkDevices(Text id, DeviceVisitor& visitor);

}  // namespace notremovable
