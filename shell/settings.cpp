#include "settings.h"

#include "utf8.h"
#include "windows_path.h"

namespace tarvela {

// Any value beginning with "http" is taken as it stands: no trimming and no parsing.
std::string site_url_from(const std::optional<std::string>& value) {
    std::string url = value && value->starts_with("http") ? *value : std::string(default_site_url);
    if (url.back() != '/') url += '/';
    return url;
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
