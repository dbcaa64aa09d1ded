#pragma once
// The installer's whole run: install or update when the installed build is not
// this one, then start the app. Every failure ends the run with one error box.
#include <cstddef>
#include <span>
#include <string_view>

#include "layout.hpp"
#include "platform.hpp"

namespace installer {

struct Build {
  std::span<const std::byte> app;
  std::span<const std::byte> loader;
  std::span<const std::byte> icon;
  std::span<const std::byte> uninstaller;
  std::string_view id;
};

// The error text of a failed system call.
OsString describe(Platform& platform, OsError error);

// True when every payload is there with this build's size and the stamp names
// this build.
bool installed_build_is_current(Platform& platform, const InstallLayout& layout, const Build& build);

// Writes to the staged sibling (flushed), then moves it over the target.
Failure staged_write(Platform& platform, const OsString& target, std::span<const std::byte> bytes);

void run(Platform& platform, const Build& build);

}  // namespace installer
