#include "windows_platform.hpp"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>

#include "environment.h"
#include "layout.hpp"
#include "win_text.h"

namespace installer {
namespace {

OsError last_error() { return OsError{GetLastError()}; }

Failure failed_hresult(HRESULT result) { return OsError{static_cast<std::uint32_t>(result)}; }

bool is_folder(const OsString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

OsString parent_of(const OsString& path) {
  std::size_t end = path.size();
  while (end > 0 && (path[end - 1] == L'\\' || path[end - 1] == L'/')) --end;
  const std::size_t slash = path.find_last_of(L"\\/", end == 0 ? 0 : end - 1);
  if (slash == OsString::npos) return {};
  return path.substr(0, slash);
}

// A kernel handle closed when it goes; the WRL of the cross-building headers has no such wrapper.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE get() const { return handle_; }
  // Closes now, so that a failing close can be reported.
  bool close() {
    const bool closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

void take_run_lock() {
  if (const HANDLE lock = CreateMutexW(nullptr, FALSE, run_lock_name)) WaitForSingleObject(lock, INFINITE);
}

std::optional<OsString> WindowsPlatform::environment(OsStringView name) {
  return tarvela::win::environment_variable(OsString(name).c_str());
}

std::optional<std::uint64_t> WindowsPlatform::file_size(const OsString& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::string> WindowsPlatform::read_file(const OsString& path) {
  Handle file(CreateFileW(path.c_str(), GENERIC_READ, share_all, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr));
  if (!file.valid()) return std::nullopt;
  std::string content;
  char buffer[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) return content;
    content.append(buffer, got);
  }
}

Failure WindowsPlatform::create_folder(const OsString& path) {
  if (CreateDirectoryW(path.c_str(), nullptr)) return std::nullopt;
  const OsError error = last_error();
  if (is_folder(path)) return std::nullopt;
  if (error.code != ERROR_PATH_NOT_FOUND) return error;
  const OsString parent = parent_of(path);
  if (parent.empty() || parent == path) return error;
  if (auto failure = create_folder(parent)) return failure;
  if (CreateDirectoryW(path.c_str(), nullptr) || is_folder(path)) return std::nullopt;
  return last_error();
}

Failure WindowsPlatform::write_file(const OsString& path, std::span<const std::byte> bytes) {
  // Nobody else may write, truncate or move the file while it is being written.
  Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return last_error();
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) return last_error();
    bytes = bytes.subspan(written);
  }
  if (!FlushFileBuffers(file.get())) return last_error();
  if (!file.close()) return last_error();
  return std::nullopt;
}

Failure WindowsPlatform::remove_file(const OsString& path) {
  if (DeleteFileW(path.c_str())) return std::nullopt;
  const OsError error = last_error();
  if (error.code == ERROR_FILE_NOT_FOUND || error.code == ERROR_PATH_NOT_FOUND) return std::nullopt;
  return error;
}

Failure WindowsPlatform::move_replace(const OsString& from, const OsString& to) {
  // Write-through only waits for the data of a move made as a copy across volumes; a rename
  // within the folder may still reach the disk later. The staged file's data was flushed first.
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return last_error();
  }
  return std::nullopt;
}

void WindowsPlatform::initialise_com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

std::optional<OsString> WindowsPlatform::known_folder(KnownFolder folder) {
  const KNOWNFOLDERID& id = folder == KnownFolder::programs ? FOLDERID_Programs : FOLDERID_Desktop;
  PWSTR path = nullptr;
  const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
  std::optional<OsString> found;
  if (SUCCEEDED(result) && path) found = OsString(path);
  CoTaskMemFree(path);
  return found;
}

Failure WindowsPlatform::save_shortcut(const OsString& link, const ShortcutTarget& target) {
  Microsoft::WRL::ComPtr<IShellLinkW> shell_link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(shell_link.GetAddressOf()));
  if (FAILED(result)) return failed_hresult(result);
  if (FAILED(result = shell_link->SetPath(target.program.c_str()))) return failed_hresult(result);
  if (FAILED(result = shell_link->SetWorkingDirectory(target.working_directory.c_str()))) {
    return failed_hresult(result);
  }
  if (FAILED(result = shell_link->SetIconLocation(target.icon.c_str(), 0))) return failed_hresult(result);
  if (FAILED(result = shell_link->SetDescription(target.description.c_str()))) return failed_hresult(result);
  Microsoft::WRL::ComPtr<IPersistFile> file;
  if (FAILED(result = shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.GetAddressOf())))) {
    return failed_hresult(result);
  }
  if (FAILED(result = file->Save(link.c_str(), TRUE))) return failed_hresult(result);
  return std::nullopt;
}

Failure WindowsPlatform::start_process(const OsString& program, const OsString& working_directory) {
  // The command line is the program's own quoted path: no arguments.
  OsString command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE, 0,
                      nullptr, working_directory.c_str(), &startup, &process)) {
    return last_error();
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::nullopt;
}

void WindowsPlatform::error_box(const OsString& text) {
  const OsString caption(product_name);
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

OsString WindowsPlatform::system_message(std::uint32_t code) { return tarvela::win::system_message_wide(code); }

}  // namespace installer
