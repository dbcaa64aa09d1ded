#include "value.h"

#include <array>

namespace stilaro {

namespace {

constexpr std::array<std::string_view, 7> kErrorTexts = {
    "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};

}  // namespace

std::string_view fit_cell_text(std::string_view text) {
  // A character takes at least one byte: shorter texts need no counting.
  if (text.size() <= kMaxCellTextCharacters) return text;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool starts_character = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
    if (starts_character && ++characters > kMaxCellTextCharacters) return text.substr(0, i);
  }
  return text;
}

std::string_view error_text(ErrorCode e) { return kErrorTexts[static_cast<std::size_t>(e)]; }

bool parse_error_text(std::string_view text, ErrorCode& out) {
  for (std::size_t i = 0; i < kErrorTexts.size(); ++i) {
    if (text == kErrorTexts[i]) {
      out = static_cast<ErrorCode>(i);
      return true;
    }
  }
  return false;
}

bool operator==(const Value& a, const Value& b) {
  if (a.type != b.type) return false;
  switch (a.type) {
    case Value::Type::Empty: return true;
    case Value::Type::Number:
    case Value::Type::Boolean: return a.number == b.number;
    case Value::Type::Text: return a.text == b.text;
    case Value::Type::Error: return a.error == b.error;
  }
  return false;
}

}  // namespace stilaro
