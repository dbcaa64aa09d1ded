// TarvelaSorvelo.exe: installs or updates the app when needed, then starts it.
#include <windows.h>

#include "embedded_payloads.hpp"
#include "install_run.hpp"
#include "windows_platform.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Run from a downloads folder, the installer must not load a library someone left beside it:
  // what the system loads on demand (message box, COM, shell link) comes from System32 only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // One run at a time for this user: a second installer waits for the first to end, then finds
  // the build in place, and never touches a file the first one is still writing or moving. An
  // abandoned lock (a run that died) is taken over as it stands.
  if (const HANDLE lock = CreateMutexW(nullptr, FALSE, installer::run_lock_name)) {
    WaitForSingleObject(lock, INFINITE);
  }
  installer::WindowsPlatform platform;
  installer::run(platform, installer::embedded_build());
  return 0;
}
