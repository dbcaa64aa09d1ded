#pragma once
// The app's entry in the user's list of installed programs (Settings, Apps),
// which the installer writes and the uninstaller removes.
#include <cstdint>
#include <string_view>
#include <vector>

#include "layout.hpp"
#include "platform.hpp"

namespace installer {

// Under the user's own hive, so that no administrator rights are needed.
inline constexpr OsStringView uninstall_key =
    OS_TEXT("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TarvelaSorvelo");

// What the list shows and how it starts the uninstaller; the installed size
// in KiB, rounded up, as the list expects it.
std::vector<RegistryValue> uninstall_entry(const InstallLayout& layout, std::string_view build_id,
                                           std::uint64_t installed_bytes);

}  // namespace installer
