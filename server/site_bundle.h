// The site compiled into the program: a constant table of files, sorted by name.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvela {

// One file of the site. Name and content are static data that live as long as the process;
// nothing here is ever copied.
class BundleEntry {
public:
    constexpr BundleEntry(std::string_view name, const std::uint8_t* begin, const std::uint8_t* end)
        : name_(name), begin_(begin), end_(end) {}

    // Path relative to the site root, "/" between folders, no leading "/".
    constexpr std::string_view name() const { return name_; }
    // The file's exact bytes.
    std::span<const std::uint8_t> content() const { return {begin_, end_}; }

private:
    std::string_view name_;
    const std::uint8_t* begin_;
    const std::uint8_t* end_;
};

// Every entry, in ascending byte order of name, names unique.
std::span<const BundleEntry> site_bundle();

// The entry whose name equals `name` byte for byte, or nullptr. No case folding, no trimming,
// no path resolution.
const BundleEntry* find_in_bundle(std::string_view name);

}  // namespace tarvela
