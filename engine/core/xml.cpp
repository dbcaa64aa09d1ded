#include "xml.h"

namespace stilaro::xml {

namespace {

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

std::string qualified(const pugi::xml_node& parent, std::string_view local) {
  auto p = prefix(parent);
  std::string name;
  if (!p.empty()) name.append(p).push_back(':');
  name.append(local);
  return name;
}

}  // namespace

bool parse(pugi::xml_document& doc, std::string_view text) {
  // Automatic detection also drops a byte-order mark, which some writers put first.
  auto r = doc.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_auto);
  return r && doc.document_element();
}

std::string serialize(const pugi::xml_document& doc) {
  StringWriter w;
  doc.save(w, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  // format_no_declaration only stops pugixml adding one; the parsed one is kept, but
  // files without one get the usual declaration, as every part should have it.
  if (!doc.first_child() || doc.first_child().type() != pugi::node_declaration)
    w.out.insert(0, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n");
  return w.out;
}

namespace {

// Names are short: a plain loop beats a library search call, and readers ask for every one.
std::string_view after_colon(const char* name) {
  const char* p = name;
  while (*p && *p != ':') ++p;
  return *p ? std::string_view(p + 1) : std::string_view(name, static_cast<std::size_t>(p - name));
}

}  // namespace

std::string_view local_name(const pugi::xml_node& node) { return after_colon(node.name()); }

std::string_view local_name(const pugi::xml_attribute& a) { return after_colon(a.name()); }

std::string_view prefix(const pugi::xml_node& node) {
  std::string_view n = node.name();
  auto colon = n.find(':');
  return colon == std::string_view::npos ? std::string_view() : n.substr(0, colon);
}

pugi::xml_node child(const pugi::xml_node& node, std::string_view local) {
  for (auto c = node.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && local_name(c) == local) return c;
  return {};
}

pugi::xml_node next(const pugi::xml_node& node, std::string_view local) {
  for (auto c = node.next_sibling(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element && local_name(c) == local) return c;
  return {};
}

pugi::xml_attribute attribute(const pugi::xml_node& node, std::string_view local) {
  for (auto a = node.first_attribute(); a; a = a.next_attribute())
    if (local_name(a) == local) return a;
  return {};
}

std::string_view value(const pugi::xml_attribute& a) { return a ? a.value() : ""; }

std::optional<double> number(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t' || t.front() == '\n' || t.front() == '\r')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\n' || t.back() == '\r')) t.remove_suffix(1);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  double v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || t.empty()) return std::nullopt;
  return v;
}

std::optional<std::int64_t> integer(std::string_view t) {
  std::int64_t v = 0;
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || p != t.data() + t.size() || t.empty()) return std::nullopt;
  return v;
}

bool boolean(const pugi::xml_attribute& a, bool fallback) {
  if (!a) return fallback;
  std::string_view v = a.value();
  return v == "1" || v == "true";
}

std::string text(const pugi::xml_node& node) {
  // Walked without recursion: a hostile file may nest elements very deeply.
  std::string out;
  pugi::xml_node c = node.first_child();
  while (c) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
    if (c.type() == pugi::node_element && c.first_child()) {
      c = c.first_child();
      continue;
    }
    while (c && c != node && !c.next_sibling()) c = c.parent();
    if (!c || c == node) break;
    c = c.next_sibling();
  }
  return out;
}

pugi::xml_node append(pugi::xml_node parent, std::string_view local) {
  return parent.append_child(qualified(parent, local).c_str());
}

pugi::xml_node insert_before(pugi::xml_node parent, std::string_view local, pugi::xml_node before) {
  return parent.insert_child_before(qualified(parent, local).c_str(), before);
}

pugi::xml_node insert_after(pugi::xml_node parent, std::string_view local, pugi::xml_node after) {
  return parent.insert_child_after(qualified(parent, local).c_str(), after);
}

}  // namespace stilaro::xml
