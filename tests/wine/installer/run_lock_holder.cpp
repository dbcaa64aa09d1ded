// Holds the installer's run lock, as a running installer does, for the installer's Wine tests:
// takes the named lock given as the first argument, creates the file named by the second, and
// lets the lock go once that file has been deleted.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const HANDLE lock = CreateMutexW(nullptr, TRUE, argv[1]);
  if (!lock || GetLastError() == ERROR_ALREADY_EXISTS) return 1;
  const HANDLE taken = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (taken == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(taken);
  while (GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES) Sleep(100);
  ReleaseMutex(lock);
  return 0;
}
