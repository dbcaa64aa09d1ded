// The app's constants and its settings, read once from the environment at startup.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tarvela {

inline constexpr std::string_view app_name = "Tarvela Sorvelo";
inline constexpr std::string_view local_scheme = "tarvela";
inline constexpr std::string_view local_origin = "https://tarvela.localhost/";
inline constexpr std::string_view start_page = "avvio.html";
inline constexpr std::string_view start_url = "https://tarvela.localhost/avvio.html";
inline constexpr std::string_view data_subfolder = "dati";
inline constexpr std::string_view default_site_url = "https://www.palestretarvela.it/";

inline constexpr std::string_view env_local_app_data = "LOCALAPPDATA";
inline constexpr std::string_view env_off_screen = "TARVELA_FUORI_SCHERMO";
inline constexpr std::string_view env_site_url = "TARVELA_SITO";

struct AppSettings {
    std::string site_url;                    // UTF-8, never empty, always ends in "/"
    std::optional<std::string> data_folder;  // UTF-8 path; absent when it cannot be derived
    bool off_screen = false;
};

// Looks up one environment variable: nothing when undefined, otherwise its UTF-16 code units
// exactly as the system holds them (which may include unpaired surrogates).
using EnvironmentLookup = std::function<std::optional<std::u16string>(std::string_view name)>;

// The public site URL for a decoded "TARVELA_SITO" (nothing when undefined or not valid Unicode).
std::string site_url_from(const std::optional<std::string>& value);

// Reads "LOCALAPPDATA", "TARVELA_FUORI_SCHERMO" and "TARVELA_SITO", each once, in this order.
AppSettings load_settings(const EnvironmentLookup& lookup);

}  // namespace tarvela
