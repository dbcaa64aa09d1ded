// Small helpers over pugixml for the package's XML parts. Elements are matched by local
// name, so parts written with a namespace prefix ("x:row") read like plain ones.
#pragma once

#include <pugixml.hpp>

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace stilaro::xml {

// Keeps the declaration and all white space, so rewritten parts differ only where edited.
inline constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata;

bool parse(pugi::xml_document& doc, std::string_view text);
std::string serialize(const pugi::xml_document& doc);

std::string_view local_name(const pugi::xml_node& node);
std::string_view local_name(const pugi::xml_attribute& a);
std::string_view prefix(const pugi::xml_node& node);  // "" or "x"

pugi::xml_node child(const pugi::xml_node& node, std::string_view local);
pugi::xml_node next(const pugi::xml_node& node, std::string_view local);
pugi::xml_attribute attribute(const pugi::xml_node& node, std::string_view local);

// Iterates the element children with a local name: for (auto n : children(node, "row"))
struct ChildRange {
  pugi::xml_node first;
  std::string_view name;
  struct Iterator {
    pugi::xml_node node;
    std::string_view name;
    pugi::xml_node operator*() const { return node; }
    Iterator& operator++() { node = next(node, name); return *this; }
    bool operator!=(const Iterator& o) const { return node != o.node; }
  };
  Iterator begin() const { return {first, name}; }
  Iterator end() const { return {pugi::xml_node(), name}; }
};
inline ChildRange children(const pugi::xml_node& node, std::string_view local) {
  return {child(node, local), local};
}

std::string_view value(const pugi::xml_attribute& a);
std::optional<double> number(std::string_view text);
std::optional<std::int64_t> integer(std::string_view text);
bool boolean(const pugi::xml_attribute& a, bool fallback);  // "1"/"true"

// All text inside a node (its pcdata and cdata descendants, in order).
std::string text(const pugi::xml_node& node);

// Appends an element named like its siblings (same prefix as the parent).
pugi::xml_node append(pugi::xml_node parent, std::string_view local);
pugi::xml_node insert_before(pugi::xml_node parent, std::string_view local, pugi::xml_node before);
pugi::xml_node insert_after(pugi::xml_node parent, std::string_view local, pugi::xml_node after);

}  // namespace stilaro::xml
