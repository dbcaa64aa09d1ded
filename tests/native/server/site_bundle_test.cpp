// The bundle against the files that are actually under site/.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "site_bundle.h"

namespace {

namespace fs = std::filesystem;
using tarvela::BundleEntry;
using tarvela::find_in_bundle;
using tarvela::site_bundle;

// Name -> bytes of every file under site/, downloads under app/ left out as the build does.
std::map<std::string, std::string> site_files() {
    std::map<std::string, std::string> files;
    const fs::path root = TARVELA_SITE_DIR;
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (!item.is_regular_file()) continue;
        const std::string name = item.path().lexically_relative(root).generic_string();
        if (name.starts_with("app/")) continue;
        std::ifstream in(item.path(), std::ios::binary);
        files[name].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

std::string bytes_of(const BundleEntry& entry) {
    const auto content = entry.content();
    return {reinterpret_cast<const char*>(content.data()), content.size()};
}

TEST(SiteBundle, HoldsExactlyTheFilesOfTheSite) {
    const auto files = site_files();
    ASSERT_FALSE(files.empty());
    ASSERT_EQ(site_bundle().size(), files.size());
    // std::map orders std::string keys by byte value, as the table must be.
    auto file = files.begin();
    for (const BundleEntry& entry : site_bundle()) {
        EXPECT_EQ(entry.name(), file->first);
        EXPECT_TRUE(bytes_of(entry) == file->second) << entry.name() << " differs from the file";
        ++file;
    }
}

TEST(SiteBundle, NamesAreStrictlyAscendingInByteOrder) {
    const auto bundle = site_bundle();
    for (std::size_t i = 1; i < bundle.size(); ++i) {
        const auto a = bundle[i - 1].name(), b = bundle[i].name();
        EXPECT_TRUE(std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                                 [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); }))
            << a << " before " << b;
    }
}

TEST(SiteBundle, EveryEntryIsFoundByItsOwnNameWithoutCopy) {
    for (const BundleEntry& entry : site_bundle()) {
        const BundleEntry* first = find_in_bundle(entry.name());
        const BundleEntry* second = find_in_bundle(std::string(entry.name()));
        ASSERT_EQ(first, &entry) << entry.name();
        EXPECT_EQ(second, first);
        EXPECT_EQ(second->content().data(), entry.content().data());
        EXPECT_EQ(second->content().size(), entry.content().size());
    }
}

TEST(SiteBundle, LookupIsExact) {
    ASSERT_NE(find_in_bundle("index.html"), nullptr);
    for (const char* name : {"", "/", "/index.html", "//index.html", "./index.html", "INDEX.HTML", "Index.html",
                             "index.html ", " index.html", "index.htm", "index.html/", "foto/", "foto", "foglio/",
                             "foto//tavra-sala.jpg", "app/TarvelaSorvelo.exe", "avvio.html"}) {
        EXPECT_EQ(find_in_bundle(name), nullptr) << '"' << name << '"';
    }
    // A name with an embedded NUL is not cut short at it.
    EXPECT_EQ(find_in_bundle(std::string_view("index.html\0x", 12)), nullptr);
}

TEST(SiteBundle, GalleryAndLargePhotosAreDistinctEntries) {
    const auto files = site_files();
    for (const auto& [name, bytes] : files) {
        if (!name.starts_with("foto/grandi/")) continue;
        const std::string gallery = "foto/" + name.substr(std::string("foto/grandi/").size());
        const BundleEntry* large = find_in_bundle(name);
        const BundleEntry* small = find_in_bundle(gallery);
        ASSERT_NE(large, nullptr);
        ASSERT_NE(small, nullptr) << gallery;
        EXPECT_NE(large, small);
        EXPECT_NE(large->content().data(), small->content().data());
    }
}

}  // namespace
