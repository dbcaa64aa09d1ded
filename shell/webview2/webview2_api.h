// The WebView2 declarations the app is built against: the official SDK header when the build
// asks for it, otherwise our own.
#pragma once

#include "webview2_target.h"

#if defined(TARVELA_OFFICIAL_WEBVIEW2_SDK)
#include <WebView2.h>
#else
#include "webview2_declarations.h"
#endif
