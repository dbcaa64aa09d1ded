#include "xlsx_reader.h"

#include <algorithm>
#include <memory>

#include "package.h"
#include "reader_parts.h"
#include "xml.h"

namespace stilaro {

namespace {

constexpr std::string_view kNotXlsx = "il file non è un .xlsx valido";
constexpr std::string_view kDamaged = "il file .xlsx sembra rovinato";
constexpr std::string_view kBadXml = "il file .xlsx contiene XML che non riesco a leggere";
constexpr std::string_view kTooBig =
    "il file .xlsx è troppo grande per Stilaro (più di 16 MB in una parte o di 32 MB in tutto)";
constexpr std::string_view kTextTooLong = "il file .xlsx ha una cella con più di 32.767 caratteri";

// A year's card holds well under 1 MB of XML: beyond these limits a file is
// hostile or damaged, and inflating and parsing it would exhaust the tab's memory.
constexpr std::size_t kMaxPartBytes = 16u << 20;
constexpr std::size_t kMaxInflatedBytes = 32u << 20;

struct Failure {
  std::string_view message;
};

struct Parts {
  const SourcePackage& pkg;
  mutable std::size_t inflated = 0;  // declared sizes of the parts loaded so far

  bool has(std::string_view path) const { return pkg.archive.find(path) != nullptr; }

  // Parses a part; throws Failure when it is missing (and required) or unreadable.
  bool load(std::string_view path, pugi::xml_document& doc, bool required) const {
    const zip::Entry* e = pkg.archive.find(path);
    if (!e) {
      if (required) throw Failure{kNotXlsx};
      return false;
    }
    // The declared size bounds what inflating may produce, so it is checked first.
    inflated += e->size;
    if (e->size > kMaxPartBytes || inflated > kMaxInflatedBytes) throw Failure{kTooBig};
    auto text = zip::extract(pkg.bytes, *e);
    if (!text) throw Failure{kDamaged};
    if (!xml::parse(doc, *text)) throw Failure{kBadXml};
    return true;
  }
};

struct Relationship {
  std::string id, type, target;
};

std::vector<Relationship> read_rels(const Parts& parts, std::string_view part) {
  std::vector<Relationship> out;
  pugi::xml_document doc;
  auto path = reader::rels_path(part);
  if (!parts.load(path, doc, false)) return out;
  for (auto r : xml::children(doc.document_element(), "Relationship")) {
    if (xml::value(xml::attribute(r, "TargetMode")) == "External") continue;
    out.push_back({std::string(xml::value(xml::attribute(r, "Id"))),
                   std::string(xml::value(xml::attribute(r, "Type"))),
                   reader::resolve_target(part, xml::value(xml::attribute(r, "Target")))});
  }
  return out;
}

bool type_is(std::string_view type, std::string_view suffix) {
  return type.size() >= suffix.size() && type.substr(type.size() - suffix.size()) == suffix;
}

std::string workbook_part(const Parts& parts) {
  for (const auto& r : read_rels(parts, ""))
    if (type_is(r.type, "/officeDocument") && parts.has(r.target)) return r.target;
  return "xl/workbook.xml";
}

void read_workbook(const Parts& parts, SourcePackage& pkg, Workbook& wb) {
  pugi::xml_document doc;
  parts.load(pkg.workbook_path, doc, true);
  auto root = doc.document_element();
  auto rels = read_rels(parts, pkg.workbook_path);
  auto rel_target = [&](std::string_view id) -> std::string {
    for (const auto& r : rels)
      if (r.id == id) return r.target;
    return {};
  };

  wb.date1904 = xml::boolean(xml::attribute(xml::child(root, "workbookPr"), "date1904"), false);

  for (auto s : xml::children(xml::child(root, "sheets"), "sheet")) {
    Sheet sheet;
    sheet.name = xml::value(xml::attribute(s, "name"));
    auto state = xml::value(xml::attribute(s, "state"));
    sheet.hidden = state == "hidden" || state == "veryHidden";
    // r:id carries a namespace prefix of the file's choosing.
    std::string target;
    for (auto a = s.first_attribute(); a; a = a.next_attribute())
      if (xml::local_name(a) == "id" && std::string_view(a.name()).find(':') != std::string_view::npos)
        target = rel_target(a.value());
    // Chart sheets and dialog sheets have no cells; only worksheets are shown.
    if (target.empty() || !parts.has(target)) throw Failure{kDamaged};
    pkg.sheet_paths.push_back(target);
    wb.sheets.push_back(std::move(sheet));
  }
  if (wb.sheets.empty()) throw Failure{kNotXlsx};

  auto view = xml::child(xml::child(root, "bookViews"), "workbookView");
  auto active = xml::integer(xml::value(xml::attribute(view, "activeTab"))).value_or(0);
  wb.active_sheet = active >= 0 && active < static_cast<std::int64_t>(wb.sheets.size())
                        ? static_cast<std::int32_t>(active) : 0;

  for (auto d : xml::children(xml::child(root, "definedNames"), "definedName")) {
    DefinedName name;
    name.name = xml::value(xml::attribute(d, "name"));
    name.formula = xml::text(d);
    name.hidden = xml::boolean(xml::attribute(d, "hidden"), false);
    if (auto local = xml::integer(xml::value(xml::attribute(d, "localSheetId"))))
      name.local_sheet = static_cast<std::int32_t>(*local);
    if (!name.name.empty()) wb.defined_names.push_back(std::move(name));
  }

  for (const auto& r : rels) {
    if (type_is(r.type, "/sharedStrings") && parts.has(r.target)) pkg.shared_strings_path = r.target;
    if (type_is(r.type, "/styles") && parts.has(r.target)) pkg.styles_path = r.target;
  }
}

bool too_long(const std::string& text) { return fit_cell_text(text).size() < text.size(); }

ReadResult read(std::span<const std::uint8_t> bytes) {
  auto pkg = std::make_shared<SourcePackage>();
  pkg->bytes.assign(bytes.begin(), bytes.end());
  switch (zip::read_archive(pkg->bytes, pkg->archive)) {
    case zip::ReadError::NotZip: return {std::nullopt, std::string(kNotXlsx)};
    case zip::ReadError::Damaged: return {std::nullopt, std::string(kDamaged)};
    case zip::ReadError::None: break;
  }
  Parts parts{*pkg};
  Workbook wb;
  wb.sheets.clear();
  pkg->workbook_path = workbook_part(parts);
  pkg->workbook_rels_path = reader::rels_path(pkg->workbook_path);
  read_workbook(parts, *pkg, wb);

  reader::ThemeColors theme = reader::read_theme(nullptr);
  for (const auto& r : read_rels(parts, pkg->workbook_path)) {
    if (!type_is(r.type, "/theme")) continue;
    pugi::xml_document doc;
    if (parts.load(r.target, doc, false)) theme = reader::read_theme(&doc);
  }
  if (!pkg->styles_path.empty()) {
    pugi::xml_document doc;
    parts.load(pkg->styles_path, doc, true);
    wb.styles = reader::read_styles(doc.document_element(), theme);
  }
  if (!pkg->shared_strings_path.empty()) {
    pugi::xml_document doc;
    parts.load(pkg->shared_strings_path, doc, true);
    pkg->shared_strings = reader::read_shared_strings(doc.document_element());
  }
  for (std::size_t i = 0; i < wb.sheets.size(); ++i) {
    pugi::xml_document doc;
    parts.load(pkg->sheet_paths[i], doc, true);
    reader::read_sheet(doc.document_element(), pkg->shared_strings, wb.sheets[i]);
    reader::read_conditional_formats(doc.document_element(), theme, wb.sheets[i]);
    // A damaged chart is left out, never a reason to refuse the card.
    reader::read_charts([&](std::string_view path, pugi::xml_document& part) {
      const zip::Entry* e = pkg->archive.find(path);
      if (!e) return false;
      auto text = zip::extract(pkg->bytes, *e);
      return text && xml::parse(part, *text);
    }, pkg->sheet_paths[i], theme, wb.sheets[i]);
  }
  for (const Sheet& sheet : wb.sheets)
    for (const auto& [r, row] : sheet.rows)
      for (const auto& [c, cell] : row.cells)
        if (cell.value.is_text() && too_long(cell.value.text)) throw Failure{kTextTooLong};
  wb.source = std::move(pkg);
  return {std::move(wb), {}};
}

}  // namespace

ReadResult read_xlsx(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {new_workbook(), {}};
  try {
    return read(bytes);
  } catch (const Failure& f) {
    return {std::nullopt, std::string(f.message)};
  } catch (const std::bad_alloc&) {
    return {std::nullopt, std::string(kDamaged)};
  }
}

namespace reader {

std::string rels_path(std::string_view part) {
  auto slash = part.rfind('/');
  std::string dir = slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
  std::string file(slash == std::string_view::npos ? part : part.substr(slash + 1));
  return dir + "_rels/" + file + ".rels";
}

std::string resolve_target(std::string_view part, std::string_view target) {
  std::vector<std::string> segments;
  if (!target.empty() && target.front() == '/') {
    target.remove_prefix(1);
  } else {
    auto slash = part.rfind('/');
    std::string_view dir = slash == std::string_view::npos ? std::string_view() : part.substr(0, slash);
    while (!dir.empty()) {
      auto s = dir.find('/');
      segments.emplace_back(dir.substr(0, s));
      dir = s == std::string_view::npos ? std::string_view() : dir.substr(s + 1);
    }
  }
  while (!target.empty()) {
    auto s = target.find('/');
    std::string_view seg = target.substr(0, s);
    if (seg == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!seg.empty() && seg != ".") {
      segments.emplace_back(seg);
    }
    target = s == std::string_view::npos ? std::string_view() : target.substr(s + 1);
  }
  std::string out;
  for (const auto& seg : segments) {
    if (!out.empty()) out.push_back('/');
    out += seg;
  }
  return out;
}

std::vector<std::string> read_shared_strings(const pugi::xml_node& sst) {
  std::vector<std::string> out;
  for (auto si : xml::children(sst, "si")) out.push_back(string_item_text(si));
  return out;
}

std::string string_item_text(const pugi::xml_node& item) {
  std::string out;
  for (auto c = item.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    auto name = xml::local_name(c);
    if (name == "t") {
      out += xml::text(c);
    } else if (name == "r") {
      for (auto t : xml::children(c, "t")) out += xml::text(t);
    }
  }
  return out;
}

}  // namespace reader

}  // namespace stilaro
