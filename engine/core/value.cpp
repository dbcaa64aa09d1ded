#include "value.h"

#include <array>

namespace stilaro {

namespace {

constexpr std::array<std::string_view, 7> kErrorTexts = {
    "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};

}  // namespace

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
