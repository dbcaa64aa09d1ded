#include "runtime_search.h"

#include <charconv>

#include "ascii_case.h"
#include "windows_path.h"

namespace tarvela::loader {

namespace {

constexpr std::string_view runtime_dll_suffix = "\\EBWebView\\x64\\EmbeddedBrowserWebView.dll";
constexpr std::string_view client_state_key = "Software\\Microsoft\\EdgeUpdate\\ClientState\\";
constexpr std::string_view policy_key = "Software\\Policies\\Microsoft\\Edge\\WebView2\\";

struct Channel {
    std::string_view guid;
    std::string_view suffix;
};

constexpr std::array<Channel, 4> channels = {{
    {"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}", ""},
    {"{2CD8A007-E189-409D-A2C8-9AF4EF3C72AA}", " beta"},
    {"{0D50BFEC-CD6A-4F9A-964C-C7416E3ACB10}", " dev"},
    {"{65C35B14-6C1D-4122-AC46-7148CC9D6497}", " canary"},
}};

std::string_view without_trailing_separators(std::string_view path) {
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.remove_suffix(1);
    return path;
}

std::string_view last_component(std::string_view path) {
    path = without_trailing_separators(path);
    const auto cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::optional<std::string> non_empty(std::optional<std::string> value) {
    if (value && value->empty()) return std::nullopt;
    return value;
}

std::optional<std::string> policy(const SearchPlatform& platform, std::string_view setting, bool wildcard_allowed) {
    const std::string key = std::string(policy_key) + std::string(setting);
    for (RegistryRoot root : {RegistryRoot::local_machine, RegistryRoot::current_user}) {
        if (auto value = non_empty(platform.read_registry(root, key, platform.exe_file_name))) return value;
        if (wildcard_allowed) {
            if (auto value = non_empty(platform.read_registry(root, key, "*"))) return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> setting(const SearchPlatform& platform, std::string_view variable,
                                   std::string_view policy_name, bool wildcard_allowed) {
    if (auto value = non_empty(platform.environment(variable))) return value;
    return policy(platform, policy_name, wildcard_allowed);
}

}  // namespace

std::optional<Version> parse_version(std::string_view text) {
    Version version;
    for (std::size_t i = 0; i < 4; ++i) {
        const auto dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos || dot == 0) return std::nullopt;
        const std::string_view part = text.substr(0, dot);
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), version.parts[i]);
        if (error != std::errc{} || end != part.data() + part.size()) return std::nullopt;
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    return version;
}

Overrides read_overrides(const SearchPlatform& platform) {
    Overrides overrides;
    overrides.browser_folder =
        setting(platform, "WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", "BrowserExecutableFolder", true);
    overrides.user_data_folder = setting(platform, "WEBVIEW2_USER_DATA_FOLDER", "UserDataFolder", false);
    overrides.reverse_channel_order =
        setting(platform, "WEBVIEW2_RELEASE_CHANNEL_PREFERENCE", "ReleaseChannelPreference", true) == "1";
    return overrides;
}

SearchResult find_runtime(const std::optional<std::string>& browser_folder, bool reverse_channel_order,
                          const Version& minimum, const SearchPlatform& platform) {
    constexpr std::uint32_t file_not_found = 2;
    constexpr std::uint32_t not_supported = 50;
    constexpr std::uint32_t too_old = 1306;

    if (browser_folder && !browser_folder->empty()) {
        std::string folder =
            is_full_windows_path(*browser_folder) ? *browser_folder : platform.exe_directory + "\\" + *browser_folder;
        if (contains_ignoring_ascii_case(folder + "\\", "\\Edge\\Application\\")) return not_supported;
        std::string dll = std::string(without_trailing_separators(folder)) + std::string(runtime_dll_suffix);
        if (!platform.file_exists(dll)) return file_not_found;
        std::string version_text = platform.file_version(dll).value_or("");
        const auto version = parse_version(version_text);
        if (version && *version < minimum) return too_old;
        return FoundRuntime{std::move(dll), RuntimeKind::fixed_version, std::move(version_text), ""};
    }

    bool found_older = false;
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const Channel& channel = channels[reverse_channel_order ? channels.size() - 1 - i : i];
        const std::string key = std::string(client_state_key) + std::string(channel.guid);
        for (RegistryRoot root : {RegistryRoot::local_machine, RegistryRoot::current_user}) {
            const auto folder = non_empty(platform.read_registry(root, key, "EBWebView"));
            if (!folder) continue;
            const std::string_view version_text = last_component(*folder);
            const auto version = parse_version(version_text);
            if (!version) continue;
            std::string dll = std::string(without_trailing_separators(*folder)) + std::string(runtime_dll_suffix);
            if (!platform.file_exists(dll)) continue;
            if (*version < minimum) {
                found_older = true;
                continue;
            }
            return FoundRuntime{std::move(dll), RuntimeKind::installed, std::string(version_text),
                                std::string(channel.suffix)};
        }
    }
    return found_older ? too_old : file_not_found;
}

}  // namespace tarvela::loader
