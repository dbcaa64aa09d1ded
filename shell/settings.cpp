#include "settings.h"

namespace tarvela {

std::string join_path(std::string_view path, std::string_view component) {
    std::string joined(path);
    if (!joined.empty() && joined.back() != '\\' && joined.back() != '/') joined += '\\';
    joined += component;
    return joined;
}

// Any value beginning with "http" is taken as it stands: no trimming and no parsing.
std::string site_url_from(const std::optional<std::string>& value) {
    std::string url = value && value->starts_with("http") ? *value : std::string(default_site_url);
    if (url.back() != '/') url += '/';
    return url;
}

bool is_full_windows_path(std::string_view path) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    const bool drive_root = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                            path[1] == ':' && separator(path[2]);
    const bool share = path.size() >= 3 && separator(path[0]) && separator(path[1]) && !separator(path[2]);
    return drive_root || share;
}

AppSettings load_settings(const EnvironmentLookup& lookup) {
    AppSettings settings;
    if (const auto local_app_data = lookup(env_local_app_data)) {
        if (const auto path = utf8_from_utf16(*local_app_data); path && is_full_windows_path(*path)) {
            settings.data_folder = join_path(join_path(*path, app_name), data_subfolder);
        }
    }
    settings.off_screen = lookup(env_off_screen).has_value();
    const auto site = lookup(env_site_url);
    settings.site_url = site_url_from(site ? utf8_from_utf16(*site) : std::nullopt);
    return settings;
}

}  // namespace tarvela
