#pragma once
// The uninstaller's whole run: two questions, the app asked to close, then the
// installed files, both shortcuts and the entry in the list of installed
// programs removed; the app's data only when the member chose so. Every
// failure ends the run with one error box, and the entry goes only after the
// files, so that the run can always be started again from the list.
#include <chrono>

#include "platform.hpp"

namespace installer {

// A file held by a process that is ending (the app, its web view, the
// uninstaller that handed over its run) is tried again, this often, this far apart.
inline constexpr int removal_attempts = 50;
inline constexpr std::chrono::milliseconds removal_pause{200};

void uninstall(Platform& platform);

}  // namespace installer
