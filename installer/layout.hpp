#pragma once
// Where the installer puts things, derived from the user's LOCALAPPDATA.
#include "os_string.hpp"

namespace installer {

// Install folder name, shortcut name and message box caption.
inline constexpr OsStringView product_name = OS_TEXT("Tarvela Sorvelo");

struct InstallLayout {
  OsString folder;
  OsString app;
  OsString loader;
  OsString icon;
  OsString uninstaller;
  OsString stamp;
};

// base + separator + component; no separator is added after an empty base or
// one that already ends in a separator.
OsString join_path(OsStringView base, OsStringView component);

InstallLayout install_layout(OsStringView local_app_data);

// The app's own data (the web view's storage), outside the install folder:
// LOCALAPPDATA + product name + "dati". `parent` is the product's folder.
struct DataLayout {
  OsString parent;
  OsString folder;
};

DataLayout data_layout(OsStringView local_app_data);

// True for a path that depends on no current folder or drive: one that starts
// with "/" here, with a drive letter and its root or with two separators (a
// network share) on Windows. Any other would install wherever the installer
// was started from.
bool is_full_path(OsStringView path);

// The sibling a file is first written to: its extension replaced by "nuovo",
// or ".nuovo" appended to a name without one.
OsString staged_path(OsStringView target);

}  // namespace installer
