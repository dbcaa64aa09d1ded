#include "windows_path.h"

namespace tarvela {

namespace {

template <typename Char>
bool is_separator(Char c) {
    return c == Char('\\') || c == Char('/');
}

template <typename Char>
bool is_full(std::basic_string_view<Char> path) {
    if (path.size() < 3) return false;
    const Char first = path[0];
    const bool letter = (first >= Char('A') && first <= Char('Z')) || (first >= Char('a') && first <= Char('z'));
    const bool drive_root = letter && path[1] == Char(':') && is_separator(path[2]);
    const bool share = is_separator(path[0]) && is_separator(path[1]) && !is_separator(path[2]);
    return drive_root || share;
}

template <typename Char>
std::basic_string<Char> join(std::basic_string_view<Char> base, std::basic_string_view<Char> component) {
    std::basic_string<Char> joined(base);
    if (!joined.empty() && !is_separator(joined.back())) joined += Char('\\');
    joined += component;
    return joined;
}

}  // namespace

bool is_full_windows_path(std::string_view path) { return is_full(path); }
bool is_full_windows_path(std::wstring_view path) { return is_full(path); }

std::string join_path(std::string_view base, std::string_view component) { return join(base, component); }
std::wstring join_path(std::wstring_view base, std::wstring_view component) { return join(base, component); }

}  // namespace tarvela
