// Writes the "Removable" override value under HKEY_LOCAL_MACHINE.
#pragma once

#include <cstdint>

namespace notremovable {

// Creates or opens the key (non-volatile, full access) and stores
// "Removable" as a 4-byte REG_DWORD with the given data, replacing any value
// of that name. Failures are not reported: the run's status does not depend
// on them.
void SetDeviceNotRemovable(const char* keyPath, const std::uint32_t* removableValue);

}  // namespace notremovable
