// How the app's windows go dark, by Windows version: both ways are undocumented and changed
// between builds.
#pragma once

#include <cstdint>

namespace tarvela {

// How the app lets its windows use the dark mode.
enum class DarkModePermission { none, allow_dark_mode_for_app, set_preferred_app_mode };
DarkModePermission dark_mode_permission_for(std::uint32_t major_version, std::uint32_t build);

// How the caption is made dark.
enum class DarkCaption { none, window_property, dwm_attribute_19, dwm_attribute_20 };
DarkCaption dark_caption_for(std::uint32_t major_version, std::uint32_t build);

}  // namespace tarvela
