#include "uninstall_run.hpp"

#include <optional>
#include <vector>

#include "install_run.hpp"
#include "layout.hpp"
#include "messages.hpp"
#include "shortcuts.hpp"
#include "uninstall_entry.hpp"
#include "uninstall_messages.hpp"

namespace installer {
namespace {

template <class Remove>
Failure remove_patiently(Platform& platform, Remove remove) {
  Failure failure = remove();
  for (int attempt = 1; failure && attempt < removal_attempts; ++attempt) {
    platform.pause(removal_pause);
    failure = remove();
  }
  return failure;
}

// The stamp goes first: a removal that stops half way leaves an install that
// the installer repeats in full. The uninstaller's own file is not here.
std::vector<OsString> files_to_remove(Platform& platform, const InstallLayout& layout) {
  std::vector<OsString> files{layout.stamp, layout.app, layout.loader, layout.icon};
  for (const OsString* target : {&layout.app, &layout.loader, &layout.icon, &layout.uninstaller, &layout.stamp}) {
    files.push_back(staged_path(*target));
  }
  for (const OsString& folder : shortcut_folders(platform)) files.push_back(shortcut_path(folder));
  return files;
}

// Nothing on success, else the message to show.
std::optional<OsString> remove_installation(Platform& platform, const InstallLayout& layout,
                                            const DataLayout& data, bool remove_data, bool own_file_running) {
  for (const OsString& file : files_to_remove(platform, layout)) {
    if (auto failure = remove_patiently(platform, [&] { return platform.remove_file(file); })) {
      return messages::file_not_removed(file, describe(platform, *failure));
    }
  }
  if (remove_data) {
    if (auto failure = remove_patiently(platform, [&] { return platform.remove_tree(data.folder); })) {
      return messages::data_not_removed(data.folder, describe(platform, *failure));
    }
    // Stays when anything else lives there.
    platform.remove_folder(data.parent);
  }
  if (auto failure = platform.remove_user_registry_key(OsString(uninstall_key))) {
    return messages::entry_not_removed(describe(platform, *failure));
  }
  // A running file cannot go: only a copy that could not be started leaves it.
  if (own_file_running) return std::nullopt;
  if (auto failure = remove_patiently(platform, [&] { return platform.remove_file(layout.uninstaller); })) {
    return messages::file_not_removed(layout.uninstaller, describe(platform, *failure));
  }
  // Stays when the member keeps files of their own there.
  platform.remove_folder(layout.folder);
  return std::nullopt;
}

}  // namespace

void uninstall(Platform& platform) {
  auto local_app_data = platform.environment(OS_TEXT("LOCALAPPDATA"));
  if (!local_app_data || !is_full_path(*local_app_data)) {
    platform.error_box(messages::no_app_data());
    return;
  }
  const InstallLayout layout = install_layout(*local_app_data);
  // The installed uninstaller hands its whole run to a temporary copy of
  // itself, which can then remove the installed file and its folder.
  const bool own_file_running = platform.is_this_program(layout.uninstaller);
  if (own_file_running && !platform.start_temporary_copy()) return;

  if (!platform.ask(messages::remove_app_question(), Question::yes_no)) return;
  const bool remove_data = platform.ask(messages::remove_data_question(), Question::yes_no_default_no);
  while (!platform.close_program(layout.app)) {
    if (!platform.ask(messages::app_still_open(), Question::retry_cancel)) return;
  }
  if (auto message =
          remove_installation(platform, layout, data_layout(*local_app_data), remove_data, own_file_running)) {
    platform.error_box(*message);
  }
}

}  // namespace installer
