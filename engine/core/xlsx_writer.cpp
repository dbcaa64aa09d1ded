#include "xlsx_writer.h"

#include <map>
#include <set>

#include "package.h"
#include "reader_parts.h"
#include "writer_parts.h"
#include "xlsx_reader.h"
#include "xml.h"

namespace stilaro {

namespace {

constexpr std::string_view kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// The package a workbook made from nothing is written over: one empty sheet.
std::shared_ptr<const SourcePackage> blank_source() {
  static const std::shared_ptr<const SourcePackage> blank = [] {
    const std::string decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const std::string ct = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
    const std::string main(kMain);
    const std::pair<std::string, std::string> parts[] = {
        {"[Content_Types].xml",
         decl + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                "<Override PartName=\"/xl/workbook.xml\" ContentType=\"" + ct + "sheet.main+xml\"/>"
                "<Override PartName=\"/xl/worksheets/sheet1.xml\" ContentType=\"" + ct + "worksheet+xml\"/>"
                "<Override PartName=\"/xl/styles.xml\" ContentType=\"" + ct + "styles+xml\"/>"
                "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"" + ct + "sharedStrings+xml\"/>"
                "</Types>"},
        {"_rels/.rels",
         decl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\"/>"
                "</Relationships>"},
        {"xl/workbook.xml",
         decl + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">"
                "<bookViews><workbookView activeTab=\"0\"/></bookViews>"
                "<sheets><sheet name=\"Foglio1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         decl + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                "<Relationship Id=\"rId2\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>"
                "<Relationship Id=\"rId3\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                "</Relationships>"},
        {"xl/worksheets/sheet1.xml",
         decl + "<worksheet xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\"><dimension ref=\"A1\"/>"
                "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
                "<sheetFormatPr defaultRowHeight=\"15\"/><sheetData/>"
                "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/>"
                "</worksheet>"},
        {"xl/styles.xml",
         decl + "<styleSheet xmlns=\"" + main + "\">"
                "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family val=\"2\"/></font></fonts>"
                "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
                "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
                "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
                "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/></cellStyleXfs>"
                "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/></cellXfs>"
                "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
                "</styleSheet>"},
        {"xl/sharedStrings.xml", decl + "<sst xmlns=\"" + main + "\" count=\"0\" uniqueCount=\"0\"/>"},
    };
    zip::Writer w;
    for (const auto& [name, text] : parts) w.add(name, text, 0, (0 << 9) | (1 << 5) | 1);  // 1980-01-01
    auto bytes = w.finish();
    return read_xlsx(bytes).workbook->source;
  }();
  return blank;
}

bool load(const SourcePackage& pkg, std::string_view path, pugi::xml_document& doc) {
  const zip::Entry* e = pkg.archive.find(path);
  if (!e) return false;
  auto text = zip::extract(pkg.bytes, *e);
  return text && xml::parse(doc, *text);
}

bool ends_with(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Removes the calculation chain (its relationship and content type too): spreadsheet
// programs rebuild it, and a stale one makes them report the file as damaged.
void drop_calc_chain(const SourcePackage& pkg, std::map<std::string, std::string>& replaced,
                     std::set<std::string>& dropped) {
  pugi::xml_document rels;
  if (!load(pkg, pkg.workbook_rels_path, rels)) return;
  std::string path;
  for (auto r : xml::children(rels.document_element(), "Relationship")) {
    if (!ends_with(xml::value(xml::attribute(r, "Type")), "/calcChain")) continue;
    path = reader::resolve_target(pkg.workbook_path, xml::value(xml::attribute(r, "Target")));
    rels.document_element().remove_child(r);
    break;
  }
  if (path.empty()) return;
  replaced[pkg.workbook_rels_path] = xml::serialize(rels);
  dropped.insert(path);
  pugi::xml_document types;
  if (!load(pkg, "[Content_Types].xml", types)) return;
  for (auto o : xml::children(types.document_element(), "Override")) {
    if (xml::value(xml::attribute(o, "PartName")) == "/" + path) {
      types.document_element().remove_child(o);
      replaced["[Content_Types].xml"] = xml::serialize(types);
      break;
    }
  }
}

}  // namespace

std::vector<std::uint8_t> write_xlsx(const Workbook& wb) {
  auto source = wb.source ? wb.source : blank_source();
  const SourcePackage& pkg = *source;
  std::map<std::string, std::string> replaced;
  std::set<std::string> dropped;

  writer::StringTable strings(pkg.shared_strings, !pkg.shared_strings_path.empty());
  bool styles_changed = wb.styles.cell_formats.size() > wb.styles.file_cell_format_count ||
                        wb.styles.custom_number_formats.size() > wb.styles.file_number_format_count;
  // Without a styles part, only the default format exists in the file.
  std::size_t style_count = pkg.styles_path.empty() ? 1 : wb.styles.cell_formats.size();
  bool formulas_changed = false;

  for (std::size_t i = 0; i < wb.sheets.size() && i < pkg.sheet_paths.size(); ++i) {
    const Sheet& sheet = wb.sheets[i];
    if ((sheet.changed_cells.empty() && !sheet.rows_changed) || sheet.chart_sheet) continue;
    pugi::xml_document doc;
    if (!load(pkg, pkg.sheet_paths[i], doc)) continue;
    auto result = writer::write_sheet(doc, sheet, style_count, strings);
    formulas_changed = formulas_changed || result.formulas_changed;
    replaced[pkg.sheet_paths[i]] = xml::serialize(doc);
  }
  if (!strings.added().empty()) {
    pugi::xml_document doc;
    if (load(pkg, pkg.shared_strings_path, doc)) {
      writer::append_shared_strings(doc, strings.added());
      replaced[pkg.shared_strings_path] = xml::serialize(doc);
    }
  }
  if (styles_changed && !pkg.styles_path.empty()) {
    pugi::xml_document doc;
    if (load(pkg, pkg.styles_path, doc)) {
      writer::append_styles(doc, wb.styles);
      replaced[pkg.styles_path] = xml::serialize(doc);
    }
  }
  if (formulas_changed) drop_calc_chain(pkg, replaced, dropped);

  zip::Writer out;
  for (const auto& e : pkg.archive.entries) {
    if (dropped.count(e.name)) continue;
    if (auto it = replaced.find(e.name); it != replaced.end()) out.add(e.name, it->second, e.time, e.date);
    else out.copy(pkg.bytes, e);
  }
  return out.finish();
}

}  // namespace stilaro
