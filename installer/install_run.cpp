#include "install_run.hpp"

#include <optional>
#include <utility>

#include "messages.hpp"
#include "shortcuts.hpp"
#include "stamp.hpp"
#include "uninstall_entry.hpp"

namespace installer {
namespace {

// Nothing on success, else the message to show.
std::optional<OsString> install(Platform& platform, const InstallLayout& layout, const Build& build) {
  if (auto failure = platform.create_folder(layout.folder)) {
    return messages::folder_not_created(layout.folder, describe(platform, *failure));
  }
  // While payloads change no stamp may vouch for them: an update that stops
  // half way must leave an install that the next run repeats.
  const std::optional<std::string> old_stamp = platform.read_file(layout.stamp);
  if (auto failure = platform.remove_file(layout.stamp)) {
    return messages::stamp_not_removed(describe(platform, *failure));
  }
  if (auto failure = staged_write(platform, layout.app, build.app)) {
    // Nothing was replaced, so the old stamp is still true (typically the app
    // is open); should it not come back, the next run merely installs again.
    if (old_stamp) staged_write(platform, layout.stamp, std::as_bytes(std::span(*old_stamp)));
    return messages::app_not_replaced(describe(platform, *failure));
  }
  if (auto failure = staged_write(platform, layout.loader, build.loader)) {
    return messages::loader_not_written(describe(platform, *failure));
  }
  if (auto failure = staged_write(platform, layout.icon, build.icon)) {
    return messages::icon_not_written(describe(platform, *failure));
  }
  if (auto failure = staged_write(platform, layout.uninstaller, build.uninstaller)) {
    return messages::uninstaller_not_written(describe(platform, *failure));
  }
  platform.initialise_com();
  place_shortcuts(platform, layout);
  // Like a shortcut, a missing entry is no reason to stop: the next update writes it.
  const std::uint64_t size = build.app.size() + build.loader.size() + build.icon.size() + build.uninstaller.size();
  platform.write_user_registry_key(OsString(uninstall_key), uninstall_entry(layout, build.id, size));
  // Written last: an install that stopped earlier is repeated by the next run.
  if (auto failure = staged_write(platform, layout.stamp, std::as_bytes(std::span(build.id)))) {
    return messages::stamp_not_written(describe(platform, *failure));
  }
  return std::nullopt;
}

}  // namespace

OsString describe(Platform& platform, OsError error) {
  return error_text(platform.system_message(error.code), error.code);
}

bool installed_build_is_current(Platform& platform, const InstallLayout& layout, const Build& build) {
  // A matching stamp does not bring back a deleted or truncated payload.
  const std::pair<const OsString&, std::size_t> payloads[] = {
      {layout.app, build.app.size()}, {layout.loader, build.loader.size()}, {layout.icon, build.icon.size()},
      {layout.uninstaller, build.uninstaller.size()}};
  for (const auto& [path, size] : payloads) {
    if (platform.file_size(path) != size) return false;
  }
  auto stamp = platform.read_file(layout.stamp);
  return stamp && stamp_matches(*stamp, build.id);
}

Failure staged_write(Platform& platform, const OsString& target, std::span<const std::byte> bytes) {
  const OsString staged = staged_path(target);
  if (auto failure = platform.write_file(staged, bytes)) return failure;
  return platform.move_replace(staged, target);
}

void run(Platform& platform, const Build& build) {
  auto local_app_data = platform.environment(OS_TEXT("LOCALAPPDATA"));
  if (!local_app_data || !is_full_path(*local_app_data)) {
    platform.error_box(messages::no_app_data());
    return;
  }
  const InstallLayout layout = install_layout(*local_app_data);
  if (!installed_build_is_current(platform, layout, build)) {
    if (auto message = install(platform, layout, build)) {
      platform.error_box(*message);
      return;
    }
  }
  if (auto failure = platform.start_process(layout.app, layout.folder)) {
    platform.error_box(messages::app_not_started(describe(platform, *failure)));
  }
}

}  // namespace installer
