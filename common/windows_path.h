// Windows paths as plain text, for UTF-8 and UTF-16 alike; both "\" and "/" separate.
#pragma once

#include <string>
#include <string_view>

namespace tarvela {

// True for a path that depends on no current folder or drive: a drive letter with its root
// ("C:\") or a network share ("\\server"). Any other would land wherever the program was started.
bool is_full_windows_path(std::string_view path);
bool is_full_windows_path(std::wstring_view path);

// `base`, then "\" (unless `base` is empty or already ends in a separator), then `component`.
std::string join_path(std::string_view base, std::string_view component);
std::wstring join_path(std::wstring_view base, std::wstring_view component);

}  // namespace tarvela
