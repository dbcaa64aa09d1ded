#include "uninstall_entry.hpp"

#include <algorithm>
#include <limits>

namespace installer {

std::vector<RegistryValue> uninstall_entry(const InstallLayout& layout, std::string_view build_id,
                                           std::uint64_t installed_bytes) {
  const std::uint64_t kib = std::min<std::uint64_t>((installed_bytes + 1023) / 1024,
                                                    std::numeric_limits<std::uint32_t>::max());
  return {
      {OS_TEXT("DisplayName"), OsString(product_name)},
      {OS_TEXT("DisplayIcon"), layout.icon},
      {OS_TEXT("DisplayVersion"), OsString(build_id.begin(), build_id.end())},
      {OS_TEXT("Publisher"), OsString(OS_TEXT("Palestre Tarvela"))},
      {OS_TEXT("InstallLocation"), layout.folder},
      // Quoted: the install folder's path holds a space.
      {OS_TEXT("UninstallString"), OS_TEXT("\"") + layout.uninstaller + OS_TEXT("\"")},
      {OS_TEXT("EstimatedSize"), static_cast<std::uint32_t>(kib)},
      {OS_TEXT("NoModify"), std::uint32_t{1}},
      {OS_TEXT("NoRepair"), std::uint32_t{1}},
  };
}

}  // namespace installer
