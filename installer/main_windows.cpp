// TarvelaSorvelo.exe: installs or updates the app when needed, then starts it.
#include <windows.h>

#include "embedded_payloads.hpp"
#include "install_run.hpp"
#include "windows_platform.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Run from a downloads folder, the installer must not load a library someone left beside it:
  // what the system loads on demand (message box, COM, shell link) comes from System32 only.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // A second installer waits for the first to end, then finds the build in place.
  installer::take_run_lock();
  installer::WindowsPlatform platform;
  installer::run(platform, installer::embedded_build());
  return 0;
}
