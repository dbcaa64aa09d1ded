// Appending new shared strings and new formats to the original parts.
#include <algorithm>
#include <cctype>

#include "writer_parts.h"
#include "xml.h"

namespace stilaro::writer {

StringTable::StringTable(const std::vector<std::string>& existing, bool has_part)
    : existing_count_(existing.size()), has_part_(has_part) {
  for (std::size_t i = 0; i < existing.size(); ++i) index_.try_emplace(existing[i], static_cast<std::uint32_t>(i));
}

std::uint32_t StringTable::index(const std::string& text) {
  auto [it, added] = index_.try_emplace(text, static_cast<std::uint32_t>(existing_count_ + added_.size()));
  if (added) added_.push_back(text);
  return it->second;
}

void set_text(pugi::xml_node t, const std::string& text) {
  bool edge_space = !text.empty() && (std::isspace(static_cast<unsigned char>(text.front())) ||
                                      std::isspace(static_cast<unsigned char>(text.back())));
  if (edge_space || text.find('\n') != std::string::npos) t.append_attribute("xml:space") = "preserve";
  t.append_child(pugi::node_pcdata).set_value(text.c_str());
}

void append_shared_strings(pugi::xml_document& doc, const std::vector<std::string>& added) {
  auto sst = doc.document_element();
  for (const auto& text : added) set_text(xml::append(xml::append(sst, "si"), "t"), text);
  std::size_t items = 0;
  for (auto si : xml::children(sst, "si")) (void)si, ++items;
  // The total reference count is optional and no longer known: leave it out.
  sst.remove_attribute("count");
  if (auto u = sst.attribute("uniqueCount")) u.set_value(static_cast<unsigned long long>(items));
}

namespace {

std::size_t count_children(const pugi::xml_node& n, std::string_view name) {
  std::size_t count = 0;
  for (auto c : xml::children(n, name)) (void)c, ++count;
  return count;
}

const char* horizontal_name(HorizontalAlign h) {
  switch (h) {
    case HorizontalAlign::Left: return "left";
    case HorizontalAlign::Center: return "center";
    case HorizontalAlign::Right: return "right";
    case HorizontalAlign::Fill: return "fill";
    case HorizontalAlign::Justify: return "justify";
    case HorizontalAlign::CenterContinuous: return "centerContinuous";
    case HorizontalAlign::Distributed: return "distributed";
    case HorizontalAlign::General: break;
  }
  return nullptr;
}

const char* vertical_name(VerticalAlign v) {
  switch (v) {
    case VerticalAlign::Center: return "center";
    case VerticalAlign::Top: return "top";
    case VerticalAlign::Justify: return "justify";
    case VerticalAlign::Distributed: return "distributed";
    case VerticalAlign::Bottom: break;
  }
  return nullptr;
}

void write_xf(pugi::xml_node xf, const CellFormat& f) {
  xf.append_attribute("numFmtId") = f.number_format;
  xf.append_attribute("fontId") = f.font;
  xf.append_attribute("fillId") = f.fill;
  xf.append_attribute("borderId") = f.border;
  xf.append_attribute("xfId") = 0;
  xf.append_attribute("applyNumberFormat") = 1;
  const Alignment& a = f.alignment;
  if (a == Alignment{}) return;
  xf.append_attribute("applyAlignment") = 1;
  auto al = xml::append(xf, "alignment");
  if (auto h = horizontal_name(a.horizontal)) al.append_attribute("horizontal") = h;
  if (auto v = vertical_name(a.vertical)) al.append_attribute("vertical") = v;
  if (a.wrap) al.append_attribute("wrapText") = 1;
  if (a.shrink_to_fit) al.append_attribute("shrinkToFit") = 1;
  if (a.indent) al.append_attribute("indent") = a.indent;
  if (a.rotation) al.append_attribute("textRotation") = a.rotation;
}

}  // namespace

void append_styles(pugi::xml_document& doc, const Styles& styles) {
  auto root = doc.document_element();

  auto num_fmts = xml::child(root, "numFmts");
  for (const auto& [id, code] : styles.custom_number_formats) {
    bool present = false;
    for (auto n : xml::children(num_fmts, "numFmt"))
      if (xml::integer(xml::value(xml::attribute(n, "numFmtId"))) == static_cast<std::int64_t>(id)) present = true;
    if (present) continue;
    // numFmts comes first in the styles part.
    if (!num_fmts) {
      pugi::xml_node first = root.first_child();
      while (first && first.type() != pugi::node_element) first = first.next_sibling();
      num_fmts = first ? xml::insert_before(root, "numFmts", first) : xml::append(root, "numFmts");
    }
    auto n = xml::append(num_fmts, "numFmt");
    n.append_attribute("numFmtId") = id;
    n.append_attribute("formatCode") = code.c_str();
  }
  if (num_fmts) {
    num_fmts.remove_attribute("count");
    num_fmts.prepend_attribute("count") = static_cast<unsigned long long>(count_children(num_fmts, "numFmt"));
  }

  auto xfs = xml::child(root, "cellXfs");
  if (!xfs) return;
  std::vector<pugi::xml_node> originals;
  for (auto x : xml::children(xfs, "xf")) originals.push_back(x);
  for (std::size_t i = originals.size(); i < styles.cell_formats.size(); ++i) {
    const CellFormat& wanted = styles.cell_formats[i];
    // Copy a file format that differs only in its number format, so attributes the
    // model does not hold (protection, quote prefix) stay.
    pugi::xml_node model;
    for (std::size_t j = 0; j < originals.size() && j < styles.file_cell_format_count; ++j) {
      CellFormat f = styles.cell_formats[j];
      f.number_format = wanted.number_format;
      if (f == wanted) {
        model = originals[j];
        break;
      }
    }
    if (model) {
      auto copy = xfs.append_copy(model);
      copy.attribute("numFmtId") ? (void)copy.attribute("numFmtId").set_value(wanted.number_format)
                                 : (void)(copy.append_attribute("numFmtId") = wanted.number_format);
      copy.remove_attribute("applyNumberFormat");
      copy.append_attribute("applyNumberFormat") = 1;
    } else {
      write_xf(xml::append(xfs, "xf"), wanted);
    }
  }
  xfs.remove_attribute("count");
  xfs.prepend_attribute("count") = static_cast<unsigned long long>(count_children(xfs, "xf"));
}

}  // namespace stilaro::writer
