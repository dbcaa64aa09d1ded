#include "dark_mode.h"

namespace tarvela {

// Build 17763 (version 1809) is the first with a dark mode for apps; from 18362 (version 1903) the
// same export sets a preferred mode instead of allowing it.
DarkModePermission dark_mode_permission_for(std::uint32_t major_version, std::uint32_t build) {
    if (major_version < 10 || build < 17763) return DarkModePermission::none;
    return build < 18362 ? DarkModePermission::allow_dark_mode_for_app : DarkModePermission::set_preferred_app_mode;
}

// Before 17763 only a window property makes the caption dark; the attribute number changed to 20 in
// build 18986.
DarkCaption dark_caption_for(std::uint32_t major_version, std::uint32_t build) {
    if (major_version < 10) return DarkCaption::none;
    if (build >= 18986) return DarkCaption::dwm_attribute_20;
    if (build >= 17763) return DarkCaption::dwm_attribute_19;
    return DarkCaption::window_property;
}

}  // namespace tarvela
