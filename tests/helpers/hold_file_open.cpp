// Test helper: holds the file named second open while it runs the program
// named third, and exits with that program's status (3 when the file could
// not be held, 4 when the program could not be started). The first argument
// says how: "unshared" reads without sharing, "writing" writes sharing reads
// and writes (as a tool rewriting the file in place), "reading" reads sharing
// everything.
#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 4) {
    return 2;
  }
  DWORD access = GENERIC_READ;
  DWORD sharing = 0;
  if (lstrcmpA(argv[1], "writing") == 0) {
    access = GENERIC_WRITE;
    sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (lstrcmpA(argv[1], "reading") == 0) {
    sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  } else if (lstrcmpA(argv[1], "unshared") != 0) {
    return 2;
  }
  const HANDLE held = CreateFileA(argv[2], access, sharing, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    return 3;
  }
  char commandLine[MAX_PATH + 2] = "\"";
  lstrcpynA(commandLine + 1, argv[3], MAX_PATH);
  lstrcatA(commandLine, "\"");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  DWORD status = 4;
  if (CreateProcessA(argv[3], commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process) != FALSE) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(held);
  return static_cast<int>(status);
}
