// Load settings from a made-up environment, including values that are not valid Unicode.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "settings.h"
#include "utf8.h"

namespace {

using tarvela::AppSettings;

// An environment of UTF-16 values that records every lookup.
struct FakeEnvironment {
    std::map<std::string, std::u16string, std::less<>> values;
    std::vector<std::string> reads;

    AppSettings load() {
        return tarvela::load_settings([this](std::string_view name) -> std::optional<std::u16string> {
            reads.emplace_back(name);
            const auto found = values.find(name);
            if (found == values.end()) return std::nullopt;
            return found->second;
        });
    }
};

AppSettings load_with(std::string_view name, std::u16string value) {
    FakeEnvironment environment;
    environment.values[std::string(name)] = std::move(value);
    return environment.load();
}

TEST(Constants, AgreeWithEachOther) {
    EXPECT_EQ(tarvela::local_origin.size(), 26u);
    EXPECT_EQ(tarvela::start_url, std::string(tarvela::local_origin) + std::string(tarvela::start_page));
    EXPECT_TRUE(tarvela::default_site_url.starts_with("https://"));
    EXPECT_TRUE(tarvela::default_site_url.ends_with("/"));
}

TEST(LoadSettings, ReadsEachVariableOnceInOrder) {
    FakeEnvironment environment;
    const AppSettings settings = environment.load();
    EXPECT_EQ(environment.reads, (std::vector<std::string>{"LOCALAPPDATA", "TARVELA_FUORI_SCHERMO", "TARVELA_SITO"}));
    EXPECT_EQ(settings.site_url, tarvela::default_site_url);
    EXPECT_FALSE(settings.data_folder);
    EXPECT_FALSE(settings.off_screen);
}

TEST(LoadSettings, SiteUrl) {
    const std::string fallback(tarvela::default_site_url);
    const std::pair<std::u16string, std::string> cases[] = {
        {u"", fallback},
        {u"ftp://esempio.it/", fallback},
        {u"HTTPS://esempio.it/", fallback},
        {u"Http://esempio.it/", fallback},
        {u" https://esempio.it/", fallback},
        {u"htt", fallback},
        {u"https://esempio.it", "https://esempio.it/"},
        {u"https://esempio.it/", "https://esempio.it/"},
        {u"https://esempio.it//", "https://esempio.it//"},
        {u"https://esempio.it/palestra", "https://esempio.it/palestra/"},
        {u"https://esempio.it ", "https://esempio.it /"},
        {u"http", "http/"},
        {u"http://127.0.0.1:9/", "http://127.0.0.1:9/"},
        {u"https://caff\u00E8.it/", "https://caff\xC3\xA8.it/"},
        {u"https://esempio.it/\U0001F3CB", "https://esempio.it/\xF0\x9F\x8F\x8B/"},
        {u"https://esempio.it/\xD800", fallback},
        {u"http\xDC00", fallback},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(load_with("TARVELA_SITO", value).site_url, expected) << tarvela::utf8_from_utf16(value).value_or("(not Unicode)");
    }
}

TEST(LoadSettings, OffScreenWhenDefinedWhateverTheValue) {
    for (const std::u16string value : {u"", u"0", u"1", u"no", u"\xD800"}) {
        EXPECT_TRUE(load_with("TARVELA_FUORI_SCHERMO", value).off_screen);
    }
    EXPECT_FALSE(load_with("TARVELA_SITO", u"1").off_screen);
}

TEST(LoadSettings, DataFolderUnderLocalAppData) {
    const std::pair<std::u16string, std::string> cases[] = {
        {u"C:\\Users\\anna\\AppData\\Local", "C:\\Users\\anna\\AppData\\Local\\Tarvela Sorvelo\\dati"},
        {u"C:\\Users\\anna\\AppData\\Local\\", "C:\\Users\\anna\\AppData\\Local\\Tarvela Sorvelo\\dati"},
        {u"Z:/tmp/", "Z:/tmp/Tarvela Sorvelo\\dati"},
        {u"\\\\server\\dati", "\\\\server\\dati\\Tarvela Sorvelo\\dati"},
        {u"C:\\Utenti\\Nicol\u00F2", "C:\\Utenti\\Nicol\xC3\xB2\\Tarvela Sorvelo\\dati"},
        {u"C:\\\U0001F3CB", "C:\\\xF0\x9F\x8F\x8B\\Tarvela Sorvelo\\dati"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(load_with("LOCALAPPDATA", value).data_folder, expected);
    }
}

TEST(LoadSettings, NoDataFolderWhenLocalAppDataIsEmptyOrRelative) {
    // Each would put the data under whatever folder or drive is current.
    for (const std::u16string value : {u"", u"dati", u".\\dati", u"C:dati", u"\\dati", u"/dati", u"\\\\", u"C:"}) {
        EXPECT_FALSE(load_with("LOCALAPPDATA", value).data_folder) << std::string(value.begin(), value.end());
    }
}

TEST(LoadSettings, NoDataFolderWhenLocalAppDataIsNotUnicode) {
    for (const std::u16string value : {u"C:\\\xD800", u"C:\\\xDC00\\x", u"\xDBFF", u"C:\\\xDC00\xD800"}) {
        EXPECT_FALSE(load_with("LOCALAPPDATA", value).data_folder);
    }
}

}  // namespace
