// The command line the web view's browser process gets beside its own.
#pragma once

#include <string_view>

namespace tarvela {

inline constexpr std::string_view additional_browser_arguments =
    "--disable-features=msWebOOUI,msPdfOOUI,msSmartScreenProtection"
    " --autoplay-policy=no-user-gesture-required";

}  // namespace tarvela
