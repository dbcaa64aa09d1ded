// What the reader keeps of the original file for the writer: the bytes, the zip
// directory and where each part lives. Internal to the engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbook.h"
#include "zip.h"

namespace stilaro {

struct SourcePackage {
  std::vector<std::uint8_t> bytes;
  zip::Archive archive;
  std::string workbook_path;
  std::string workbook_rels_path;
  std::vector<std::string> sheet_paths;  // by sheet index
  std::string shared_strings_path;       // empty when the file has none
  std::string styles_path;               // empty when the file has none
  std::vector<std::string> shared_strings;  // plain text of each item, by index
};

}  // namespace stilaro
