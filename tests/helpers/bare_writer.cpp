// Benchmark floor: the smallest program that does the job without reading
// anything. It creates the default ID's key and stores the value, with the
// exe's own writer, built as notremovable.exe is.
#include <cstdint>

#include "notremovable/removable_writer.h"

int main() {
  std::uint32_t removableValue = 0;
  notremovable::SetDeviceNotRemovable(
      "SYSTEM\\CurrentControlSet\\Control\\DeviceOverrides\\USB#VID_0DB0&PID_A871\\LocationPaths\\*",
      &removableValue);
  return 1;
}
