// The Windows platform's registry: the user's own hive only.
#include <windows.h>

#include "windows_platform.hpp"

namespace installer {
namespace {

Failure failed_status(LSTATUS status) {
  if (status == ERROR_SUCCESS) return std::nullopt;
  return OsError{static_cast<std::uint32_t>(status)};
}

LSTATUS set_value(HKEY key, const RegistryValue& value) {
  if (const auto* text = std::get_if<OsString>(&value.data)) {
    const DWORD bytes = static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()), bytes);
  }
  const DWORD number = std::get<std::uint32_t>(value.data);
  return RegSetValueExW(key, value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof number);
}

}  // namespace

Failure WindowsPlatform::write_user_registry_key(const OsString& key, const std::vector<RegistryValue>& values) {
  HKEY opened = nullptr;
  if (auto failure = failed_status(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                   KEY_SET_VALUE, nullptr, &opened, nullptr))) {
    return failure;
  }
  Failure failure;
  for (const RegistryValue& value : values) {
    if ((failure = failed_status(set_value(opened, value)))) break;
  }
  RegCloseKey(opened);
  return failure;
}

Failure WindowsPlatform::remove_user_registry_key(const OsString& key) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  return failed_status(status);
}

}  // namespace installer
