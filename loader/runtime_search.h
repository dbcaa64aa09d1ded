// Where the WebView2 runtime lives: overrides, the installed channels and a fixed-version
// folder. Plain logic; the registry, the environment and the file system are passed in.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tarvela::loader {

struct Version {
    std::array<std::uint32_t, 4> parts{};
    friend auto operator<=>(const Version&, const Version&) = default;
};

// Four dot-separated decimal numbers ("126.0.2592.51"); anything else gives nothing.
std::optional<Version> parse_version(std::string_view text);

enum class RegistryRoot { local_machine, current_user };

// What the search needs from the system. Texts are UTF-8.
struct SearchPlatform {
    // A string value (a DWORD value as decimal text), or nothing when the key or value is missing.
    std::function<std::optional<std::string>(RegistryRoot, std::string_view key, std::string_view value_name)>
        read_registry;
    // An environment variable, or nothing when it is undefined.
    std::function<std::optional<std::string>(std::string_view name)> environment;
    std::function<bool(std::string_view path)> file_exists;
    // The product version in a DLL's language-neutral fixed version record, or nothing.
    std::function<std::optional<std::string>(std::string_view path)> file_version;
    std::string exe_directory;  // folder of the host executable, no trailing "\"
    std::string exe_file_name;  // "TarvelaSorveloApp.exe"
};

// Settings that the machine's administrator or the user's environment impose on every host.
struct Overrides {
    std::optional<std::string> browser_folder;
    std::optional<std::string> user_data_folder;
    bool reverse_channel_order = false;
};

// Each setting from its environment variable when set and not empty, otherwise from the
// WebView2 policy keys (local machine before current user; the executable's file name before
// "*", which does not apply to the user data folder).
Overrides read_overrides(const SearchPlatform& platform);

enum class RuntimeKind { installed = 0, fixed_version = 1 };

struct FoundRuntime {
    std::string dll_path;
    RuntimeKind kind;
    std::string version;         // empty for a fixed-version DLL without a version resource
    std::string channel_suffix;  // "" for the stable runtime, " beta", " dev" or " canary"
};

// A Win32 error code: 2 (file not found) when no runtime is found, 1306 (revision mismatch) when
// the only ones found are older than the minimum, 50 (not supported) for a browser folder inside
// a browser installation.
using SearchResult = std::variant<FoundRuntime, std::uint32_t>;

// The runtime DLL to load: from the browser folder when one is given (absolute, or relative to
// the executable's folder), otherwise the first usable installed channel, stable first (last
// when the order is reversed), each looked up for the machine and then for the user. A runtime
// older than `minimum` is not usable; a fixed-version DLL whose version cannot be read is.
SearchResult find_runtime(const std::optional<std::string>& browser_folder, bool reverse_channel_order,
                          const Version& minimum, const SearchPlatform& platform);

}  // namespace tarvela::loader
