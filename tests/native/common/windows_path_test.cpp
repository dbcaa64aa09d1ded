#include <gtest/gtest.h>

#include "windows_path.h"

namespace tarvela {
namespace {

std::wstring widened(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

TEST(WindowsPath, FullOnlyWithADriveRootOrAShareInBothWidths) {
    const std::pair<std::string_view, bool> cases[] = {
        {"C:\\", true},         {"z:/dati", true},       {"\\\\server\\dati", true}, {"//server/dati", true},
        {"\\\\?\\C:\\x", true}, {"", false},             {"C:", false},             {"C:dati", false},
        {"1:\\dati", false},    {"\\dati", false},       {"/dati", false},          {"\\\\", false},
        {"\\\\\\x", false},     {".\\dati", false},      {"dati", false},           {"@:\\x", false},
    };
    for (const auto& [path, full] : cases) {
        EXPECT_EQ(is_full_windows_path(path), full) << path;
        EXPECT_EQ(is_full_windows_path(widened(path)), full) << path;
    }
}

TEST(WindowsPath, JoinAddsOneBackslashOnlyWhereNoneIs) {
    const std::tuple<std::string_view, std::string_view, std::string_view> cases[] = {
        {"C:\\a", "b", "C:\\a\\b"}, {"C:\\a\\", "b", "C:\\a\\b"}, {"Z:/tmp/", "b", "Z:/tmp/b"},
        {"", "b", "b"},             {"C:\\a", "", "C:\\a\\"},
    };
    for (const auto& [base, component, joined] : cases) {
        EXPECT_EQ(join_path(base, component), joined);
        EXPECT_EQ(join_path(widened(base), widened(component)), widened(joined));
    }
}

}  // namespace
}  // namespace tarvela
