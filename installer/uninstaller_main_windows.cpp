// disinstalla.exe: removes the app, its shortcuts and its entry in the list of
// installed programs, and the app's data when the member chooses so.
#include <windows.h>

#include "uninstall_run.hpp"
#include "windows_platform.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // This program also runs from the temporary folder: libraries loaded on
  // demand must come from the system's folder, never from where it runs.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Never removes files an installer is still writing; the installed copy's lock passes to the
  // temporary copy when it ends.
  installer::take_run_lock();
  installer::WindowsPlatform platform;
  installer::uninstall(platform);
  return 0;
}
