#include "search_platform_win.h"

#include <windows.h>

#include <vector>

#include "environment.h"
#include "executable_path.h"
#include "win_text.h"

namespace tarvela::loader {

using win::utf8_from_wide;
using win::wide_from_utf8;

namespace {

std::optional<std::string> read_registry(RegistryRoot root, std::string_view key, std::string_view value_name) {
    HKEY opened = nullptr;
    const HKEY base = root == RegistryRoot::local_machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    if (RegOpenKeyExW(base, wide_from_utf8(key).c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring name = wide_from_utf8(value_name);
    DWORD type = 0;
    DWORD size = 0;
    std::optional<std::string> result;
    if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<BYTE> data(size + sizeof(wchar_t));
        if (RegQueryValueExW(opened, name.c_str(), nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
                while (!text.empty() && text.back() == L'\0') text.pop_back();
                result = utf8_from_wide(text);
            } else if (type == REG_DWORD && size == sizeof(DWORD)) {
                DWORD number = 0;
                memcpy(&number, data.data(), sizeof number);
                result = std::to_string(number);
            }
        }
    }
    RegCloseKey(opened);
    return result;
}

std::optional<std::string> environment(std::string_view name) {
    const auto value = win::environment_variable(wide_from_utf8(name).c_str());
    if (!value) return std::nullopt;
    return utf8_from_wide(*value);
}

bool file_exists(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(wide_from_utf8(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The product version in a DLL's fixed version record ("126.0.2592.51"), which every translation
// of its version resource shares.
std::optional<std::string> file_version(std::string_view path) {
    const std::wstring wide_path = wide_from_utf8(path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(wide_path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoW(wide_path.c_str(), 0, size, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed ||
        fixed->dwSignature != VS_FFI_SIGNATURE) {
        return std::nullopt;
    }
    return std::to_string(HIWORD(fixed->dwProductVersionMS)) + "." + std::to_string(LOWORD(fixed->dwProductVersionMS)) +
           "." + std::to_string(HIWORD(fixed->dwProductVersionLS)) + "." + std::to_string(LOWORD(fixed->dwProductVersionLS));
}

}  // namespace

SearchPlatform windows_search_platform() {
    const std::string exe = utf8_from_wide(win::executable_path()).value_or("");
    const auto cut = exe.find_last_of("\\/");
    return SearchPlatform{
        .read_registry = read_registry,
        .environment = environment,
        .file_exists = file_exists,
        .file_version = file_version,
        .exe_directory = cut == std::string::npos ? std::string() : exe.substr(0, cut),
        .exe_file_name = cut == std::string::npos ? exe : exe.substr(cut + 1),
    };
}

}  // namespace tarvela::loader
