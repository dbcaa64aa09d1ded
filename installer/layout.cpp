#include "layout.hpp"

#include "windows_path.h"

namespace installer {
namespace {

#ifdef _WIN32
bool is_separator(OsChar c) { return c == L'\\' || c == L'/'; }
#else
bool is_separator(OsChar c) { return c == '/'; }
#endif

}  // namespace

OsString join_path(OsStringView base, OsStringView component) {
#ifdef _WIN32
  return tarvela::join_path(base, component);
#else
  OsString path(base);
  if (!path.empty() && !is_separator(path.back())) path += '/';
  path += component;
  return path;
#endif
}

InstallLayout install_layout(OsStringView local_app_data) {
  InstallLayout layout;
  layout.folder = join_path(join_path(local_app_data, OS_TEXT("Programs")), product_name);
  layout.app = join_path(layout.folder, OS_TEXT("TarvelaSorveloApp.exe"));
  layout.loader = join_path(layout.folder, OS_TEXT("WebView2Loader.dll"));
  layout.icon = join_path(layout.folder, OS_TEXT("icona.ico"));
  layout.uninstaller = join_path(layout.folder, OS_TEXT("disinstalla.exe"));
  layout.stamp = join_path(layout.folder, OS_TEXT("versione.txt"));
  return layout;
}

DataLayout data_layout(OsStringView local_app_data) {
  DataLayout layout;
  layout.parent = join_path(local_app_data, product_name);
  layout.folder = join_path(layout.parent, OS_TEXT("dati"));
  return layout;
}

bool is_full_path(OsStringView path) {
#ifdef _WIN32
  return tarvela::is_full_windows_path(path);
#else
  return !path.empty() && path[0] == '/';
#endif
}

OsString staged_path(OsStringView target) {
  std::size_t name_start = target.size();
  while (name_start > 0 && !is_separator(target[name_start - 1])) --name_start;
  const std::size_t dot = target.rfind(OS_TEXT('.'));
  // A dot that opens the file name (".profile") does not start an extension.
  const bool has_extension = dot != OsStringView::npos && dot > name_start;
  OsString staged(has_extension ? target.substr(0, dot) : target);
  staged += OS_TEXT(".nuovo");
  return staged;
}

}  // namespace installer
