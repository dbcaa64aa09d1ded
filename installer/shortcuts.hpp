#pragma once
// The two shortcuts to the app, in the Start menu and on the desktop.
#include <vector>

#include "layout.hpp"
#include "platform.hpp"

namespace installer {

inline constexpr OsStringView shortcut_description =
    OS_TEXT("Palestre Tarvela: orari, corsi, abbonamenti e la tua scheda");

// TARVELA_ICONE_IN + "Start" and + "Desktop" when it is defined, else the
// user's Start menu programs folder and desktop, leaving out any the system
// cannot give.
std::vector<OsString> shortcut_folders(Platform& platform);

// Where the shortcut in one of those folders lies.
OsString shortcut_path(OsStringView folder);

// Every failure only means that one shortcut is missing: nothing is reported.
void place_shortcuts(Platform& platform, const InstallLayout& layout);

}  // namespace installer
