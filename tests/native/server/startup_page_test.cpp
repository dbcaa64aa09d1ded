// The startup page: the template's contract and a render that no settings value can break.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "startup_page.h"

namespace {

using tarvela::render_startup_page;
using tarvela::startup_page_template;

constexpr std::string_view placeholder = "{ONLINE}";

std::size_t count(std::string_view text, std::string_view part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// Reads back a double-quoted script string literal that starts at `text[0]`, as a script engine
// would for the escapes the renderer writes; returns nothing if the string is not closed.
std::optional<std::string> read_script_string(std::string_view text, std::size_t& length) {
    if (text.empty() || text[0] != '"') return std::nullopt;
    std::string value;
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            length = i + 1;
            return value;
        }
        if (c == '\n' || c == '\r') return std::nullopt;
        if (c != '\\') {
            value += c;
            continue;
        }
        if (++i == text.size()) return std::nullopt;
        if (text[i] == 'x') {
            value += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else if (text[i] == '\\' || text[i] == '"') {
            value += text[i];
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

TEST(StartupPage, TemplateIsSmallWithOnePlaceholderInsideAString) {
    EXPECT_LT(startup_page_template.size(), 1024u);
    EXPECT_EQ(count(startup_page_template, placeholder), 1u);
    EXPECT_EQ(count(startup_page_template, "\"{ONLINE}\""), 1u);
}

TEST(StartupPage, OrdinaryUrlReplacesThePlaceholderByteForByte) {
    for (const std::string url : {"https://www.palestretarvela.it/", "http://127.0.0.1:9/",
                                  "https://esempio.it/palestra/", "https://caff\xC3\xA8.it/ percorso/", "http/"}) {
        std::string expected(startup_page_template);
        expected.replace(expected.find(placeholder), placeholder.size(), url);
        EXPECT_EQ(render_startup_page(url), expected) << url;
    }
}

TEST(StartupPage, HostileUrlStaysInsideItsScriptString) {
    const std::string_view before = startup_page_template.substr(0, startup_page_template.find(placeholder) - 1);
    const std::string_view after = startup_page_template.substr(startup_page_template.find(placeholder) + placeholder.size() + 1);
    for (const std::string& url : std::vector<std::string>{"https://x.it/\"+alert(1)+\"/", "https://x.it/\\", "https://x.it/\\\"/",
                                  "https://x.it/</script><script>alert(1)</script>/", "https://x.it/<!--/",
                                  "https://x.it/</SCRIPT>/", "https://x.it/\n/", "https://x.it/\r\n/",
                                  std::string("https://x.it/\0/", 15), "https://x.it/\t\x1F\x7F/",
                                  "https://x.it/\xE2\x80\xA8/"}) {
        const std::string page = render_startup_page(url);
        ASSERT_TRUE(page.starts_with(before)) << url;
        ASSERT_TRUE(page.ends_with(after)) << url;
        const std::string_view literal = std::string_view(page).substr(before.size(), page.size() - before.size() - after.size());
        std::size_t length = 0;
        EXPECT_EQ(read_script_string(literal, length), url);
        EXPECT_EQ(length, literal.size()) << url;
        EXPECT_EQ(literal.find('<'), std::string_view::npos) << url;
        EXPECT_EQ(count(page, "</script>"), 1u) << url;
    }
}

}  // namespace
