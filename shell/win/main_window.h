// The app's one top-level window.
#pragma once

#include <windows.h>

#include <string>
#include <variant>

namespace tarvela::win {

inline constexpr wchar_t main_window_class[] = L"Window Class";
inline constexpr int client_width = 1320;
inline constexpr int client_height = 880;
inline constexpr int minimum_client_width = 380;
inline constexpr int minimum_client_height = 560;
inline constexpr int off_screen_position = -4000;

// Creates, shows and brings forward the main window; a failure comes back as a one-line detail.
std::variant<HWND, std::string> create_main_window(bool off_screen);

}  // namespace tarvela::win
