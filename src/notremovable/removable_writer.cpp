// The registry writer: one key handle, closed in the call that opened it.
#include "notremovable/removable_writer.h"

#include <windows.h>

#include "rules/override_key.h"

namespace notremovable {

void SetDeviceNotRemovable(const char* keyPath, const std::uint32_t* removableValue) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;  // nothing was opened, so nothing to close
  }
  // A failed store leaves the key without the value; the handle is closed all the same.
  static_cast<void>(RegSetValueExA(key, kRemovableValueName, 0, REG_DWORD,
                                   reinterpret_cast<const BYTE*>(removableValue),
                                   static_cast<DWORD>(sizeof *removableValue)));
  static_cast<void>(RegCloseKey(key));
}

}  // namespace notremovable
