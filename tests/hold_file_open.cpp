// Test helper: holds the file named first open without read sharing while it
// runs the program named second, and exits with that program's status (3 when
// the file could not be held, 4 when the program could not be started).
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    return 2;
  }
  const HANDLE held = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    return 3;
  }
  char commandLine[MAX_PATH + 2] = "\"";
  lstrcpynA(commandLine + 1, argv[2], MAX_PATH);
  lstrcatA(commandLine, "\"");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD status = 4;
  if (CreateProcessA(argv[2], commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process) != FALSE) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(held);
  return static_cast<int>(status);
}
