// notremovable: marks one device as not removable through its device override
// key. One pass, no arguments, no console I/O; the exit status is the only report.
#include <cstdint>

#include "notremovable/removable_writer.h"
#include "rules/device_id.h"
#include "rules/exit_status.h"
#include "rules/override_key.h"
#include "rules/settings.h"
#include "win32/settings.h"

int main() {
  using namespace notremovable;

  std::uint32_t removableValue = kRemovableData;

  char deviceId[kDeviceIdFieldSize];
  // Why an ID was refused is the check program's to tell: here the status says it.
  SettingsFindings findings;
  static_cast<void>(ReadDeviceId(deviceId, findings));
  if (!IsDeviceIdActedOn(deviceId)) {
    return kExitIdRefused;
  }

  char keyPath[kOverrideKeyPathFieldSize];
  ComposeOverrideKeyPath(deviceId, keyPath);
  SetDeviceNotRemovable(keyPath, &removableValue);

  // The write was attempted; whether it succeeded does not change the status.
  return kExitWriteAttempted;
}
