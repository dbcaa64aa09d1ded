#include "shortcuts.hpp"

namespace installer {

std::vector<OsString> shortcut_folders(Platform& platform) {
  if (auto chosen = platform.environment(OS_TEXT("TARVELA_ICONE_IN"))) {
    return {join_path(*chosen, OS_TEXT("Start")), join_path(*chosen, OS_TEXT("Desktop"))};
  }
  std::vector<OsString> folders;
  for (KnownFolder known : {KnownFolder::programs, KnownFolder::desktop}) {
    if (auto folder = platform.known_folder(known)) folders.push_back(std::move(*folder));
  }
  return folders;
}

OsString shortcut_path(OsStringView folder) {
  OsString file_name(product_name);
  file_name += OS_TEXT(".lnk");
  return join_path(folder, file_name);
}

void place_shortcuts(Platform& platform, const InstallLayout& layout) {
  const ShortcutTarget target{layout.app, layout.folder, layout.icon, OsString(shortcut_description)};
  for (const OsString& folder : shortcut_folders(platform)) {
    // A folder that cannot be made shows up as a failed save just below.
    platform.create_folder(folder);
    platform.save_shortcut(shortcut_path(folder), target);
  }
}

}  // namespace installer
