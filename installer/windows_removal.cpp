// The Windows platform's removals, questions and processes, which only the
// uninstaller uses.
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <vector>

#include "executable_path.h"
#include "layout.hpp"
#include "windows_platform.hpp"

namespace installer {
namespace {

constexpr DWORD close_wait_ms = 10'000;

OsError last_error() { return OsError{GetLastError()}; }

bool is_not_found(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// What no spelling of a path changes (case, short names, "/" for "\").
struct FileIdentity {
  DWORD volume;
  DWORD index_high;
  DWORD index_low;

  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identity_of(const OsString& path) {
  constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, share_all, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

OsString image_path(HANDLE process) {
  OsString path(32768, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &length)) return {};
  path.resize(length);
  return path;
}

// The other processes that run the program, each opened so that it can be waited for.
std::vector<HANDLE> processes_running(const FileIdentity& program) {
  std::vector<HANDLE> found;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (bool more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) continue;
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (!process) continue;
    if (identity_of(image_path(process)) == program) {
      found.push_back(process);
    } else {
      CloseHandle(process);
    }
  }
  CloseHandle(snapshot);
  return found;
}

// The app's window ends the app when asked to close; hidden helper windows are left alone.
BOOL CALLBACK ask_to_close(HWND window, LPARAM process_ids) {
  const auto& ids = *reinterpret_cast<const std::vector<DWORD>*>(process_ids);
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  if (IsWindowVisible(window) && std::find(ids.begin(), ids.end(), id) != ids.end()) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

Failure WindowsPlatform::remove_folder(const OsString& path) {
  if (RemoveDirectoryW(path.c_str())) return std::nullopt;
  const OsError error = last_error();
  if (is_not_found(error.code)) return std::nullopt;
  return error;
}

Failure WindowsPlatform::remove_tree(const OsString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const OsError error = last_error();
    if (is_not_found(error.code)) return std::nullopt;
    return error;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!DeleteFileW(path.c_str())) return last_error();
    return std::nullopt;
  }
  // A link to a folder elsewhere goes by itself, without what it points to.
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(join_path(path, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return last_error();
    Failure failure;
    do {
      const OsStringView name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      failure = remove_tree(join_path(path, name));
    } while (!failure && FindNextFileW(search, &found));
    FindClose(search);
    if (failure) return failure;
  }
  if (!RemoveDirectoryW(path.c_str())) return last_error();
  return std::nullopt;
}

bool WindowsPlatform::ask(const OsString& text, Question question) {
  UINT style = MB_SETFOREGROUND;
  switch (question) {
    case Question::yes_no:
      style |= MB_YESNO | MB_ICONQUESTION;
      break;
    case Question::yes_no_default_no:
      style |= MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
      break;
    case Question::retry_cancel:
      style |= MB_RETRYCANCEL | MB_ICONWARNING;
      break;
  }
  const OsString caption(product_name);
  const int answer = MessageBoxW(nullptr, text.c_str(), caption.c_str(), style);
  return answer == IDYES || answer == IDRETRY;
}

bool WindowsPlatform::close_program(const OsString& program) {
  const auto identity = identity_of(program);
  if (!identity) return true;
  std::vector<HANDLE> processes = processes_running(*identity);
  std::vector<DWORD> ids;
  for (HANDLE process : processes) ids.push_back(GetProcessId(process));
  if (!ids.empty()) EnumWindows(ask_to_close, reinterpret_cast<LPARAM>(&ids));
  const ULONGLONG deadline = GetTickCount64() + close_wait_ms;
  bool all_ended = true;
  for (HANDLE process : processes) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    all_ended = WaitForSingleObject(process, left) == WAIT_OBJECT_0 && all_ended;
    CloseHandle(process);
  }
  return all_ended;
}

void WindowsPlatform::pause(std::chrono::milliseconds duration) { Sleep(static_cast<DWORD>(duration.count())); }

bool WindowsPlatform::is_this_program(const OsString& path) {
  const auto identity = identity_of(path);
  return identity && identity == identity_of(tarvela::win::executable_path());
}

Failure WindowsPlatform::start_temporary_copy() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) return last_error();
  const OsString folder(temp, length);
  const OsString copy =
      join_path(folder, L"Tarvela Sorvelo disinstalla " + std::to_wstring(GetCurrentProcessId()) + L".exe");
  if (!CopyFileW(tarvela::win::executable_path().c_str(), copy.c_str(), FALSE)) return last_error();
  // The copy inherits this handle and holds it until it ends; the system
  // deletes the file when the last handle to it closes.
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE held = CreateFileW(copy.c_str(), GENERIC_READ | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherited,
                                  OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    const OsError error = last_error();
    DeleteFileW(copy.c_str());
    return error;
  }
  OsString command_line = L"\"" + copy + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Started in the temporary folder: a copy working in the install folder would keep it from going.
  const bool started = CreateProcessW(copy.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      folder.c_str(), &startup, &process);
  const OsError error = last_error();
  CloseHandle(held);
  if (!started) return error;
  // The copy's questions come to the front, as this program's own would.
  AllowSetForegroundWindow(process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::nullopt;
}

}  // namespace installer
