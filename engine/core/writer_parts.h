// The pieces of the .xlsx writer, one per part kind. Internal to the engine.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "workbook.h"

namespace stilaro::writer {

// Texts for cells: indexes into the shared strings, growing as new texts appear.
// Without a shared strings part, texts are written inline.
class StringTable {
 public:
  StringTable(const std::vector<std::string>& existing, bool has_part);
  bool has_part() const { return has_part_; }
  std::uint32_t index(const std::string& text);
  const std::vector<std::string>& added() const { return added_; }
  std::size_t existing_count() const { return existing_count_; }

 private:
  std::unordered_map<std::string, std::uint32_t> index_;
  std::vector<std::string> added_;
  std::size_t existing_count_;
  bool has_part_;
};

struct SheetResult {
  bool formulas_changed = false;  // a formula appeared or disappeared (calcChain is stale)
};

// Edits the worksheet DOM so its cells, hidden rows and filter match the model.
// Cell styles at or beyond style_count do not exist in the file and are written as 0.
SheetResult write_sheet(pugi::xml_document& doc, const Sheet& sheet, std::size_t style_count,
                        StringTable& strings);

void append_shared_strings(pugi::xml_document& doc, const std::vector<std::string>& added);
void append_styles(pugi::xml_document& doc, const Styles& styles);

// Sets xml:space="preserve" where leading or trailing white space must survive.
void set_text(pugi::xml_node t, const std::string& text);

}  // namespace stilaro::writer
