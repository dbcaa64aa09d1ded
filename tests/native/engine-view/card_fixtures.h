// The shared card fixtures, read as the engine reads them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/formula.h"
#include "core/xlsx_reader.h"

namespace stilaro::view {

inline std::vector<std::uint8_t> fixture(const std::string& name) {
  std::ifstream in(std::filesystem::path(CARD_FIXTURES) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The drawn card, with its volume formulas worked out as on opening.
inline Workbook drawn_card() {
  auto read = read_xlsx(fixture("drawn-card.xlsx"));
  EXPECT_TRUE(read.workbook.has_value()) << read.error;
  Workbook wb = std::move(*read.workbook);
  recalculate(wb, {});
  return wb;
}

}  // namespace stilaro::view
