// The options object handed to the runtime with the environment creation.
#pragma once

#include <wrl/client.h>

#include "webview2_api.h"

namespace tarvela::win {

// Our additional browser arguments, the user's UI language, the target runtime version and
// browser extensions off; everything else stays the runtime's default.
Microsoft::WRL::ComPtr<ICoreWebView2EnvironmentOptions> make_environment_options();

}  // namespace tarvela::win
