// Stands in for the app in the installer's Wine tests. It appends one line to
// the file named by TARVELA_PROVA_REGISTRO: its variant, working directory and
// command line. While the file named by TARVELA_PROVA_TIENI_APERTA exists it
// keeps running with a window, as the app would; then it appends "chiusa".
// Asked to close its window, it appends "chiusura chiesta" and ends, unless
// TARVELA_PROVA_IGNORA_CHIUSURA is set.
#include <windows.h>

#include <string>

#ifndef TARVELA_PROVA_VARIANTE
#error "TARVELA_PROVA_VARIANTE names the build variant"
#endif

#ifdef TARVELA_PROVA_ZAVORRA
// Gives this build's app another size than the other build's, as real builds have.
extern "C" __attribute__((used)) const char tarvela_prova_zavorra[TARVELA_PROVA_ZAVORRA] = {1};
#endif

namespace {

std::wstring variable(const wchar_t* name) {
  wchar_t value[4096];
  const DWORD length = GetEnvironmentVariableW(name, value, 4096);
  return length > 0 && length < 4096 ? std::wstring(value, length) : std::wstring();
}

void append_line(const std::wstring& log, const std::wstring& line) {
  if (log.empty()) return;
  HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::wstring text = line + L"\n";
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool close_asked = false;

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) {
    close_asked = true;
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Without a display there is no window, and only the file ends the wait.
void open_window(HINSTANCE instance) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = window_procedure;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"TarvelaProvaApp";
  RegisterClassW(&window_class);
  CreateWindowExW(0, window_class.lpszClassName, L"Tarvela Sorvelo (prova)", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                  320, 200, nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  const std::wstring log = variable(L"TARVELA_PROVA_REGISTRO");
  wchar_t folder[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, folder);
  append_line(log, std::wstring(L"" TARVELA_PROVA_VARIANTE) + L"\t" + folder + L"\t" + GetCommandLineW());
  const std::wstring hold = variable(L"TARVELA_PROVA_TIENI_APERTA");
  if (!hold.empty()) {
    open_window(instance);
    const bool ignore_close = !variable(L"TARVELA_PROVA_IGNORA_CHIUSURA").empty();
    for (int waited = 0; waited < 1200 && GetFileAttributesW(hold.c_str()) != INVALID_FILE_ATTRIBUTES; ++waited) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
      if (close_asked) {
        close_asked = false;
        append_line(log, L"chiusura chiesta");
        if (!ignore_close) break;
      }
    }
    append_line(log, L"chiusa");
  }
  return 0;
}
