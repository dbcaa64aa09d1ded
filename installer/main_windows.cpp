// TarvelaSorvelo.exe: installs or updates the app when needed, then starts it.
#include <windows.h>

#include "embedded_payloads.hpp"
#include "install_run.hpp"
#include "windows_platform.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  installer::WindowsPlatform platform;
  installer::run(platform, installer::embedded_build());
  return 0;
}
