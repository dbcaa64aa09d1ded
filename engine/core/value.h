// The value a cell holds (or a formula produced): empty, number, text, boolean or error.
// Dates are numbers (serial days since 1899-12-30), told apart only by the number format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace stilaro {

enum class ErrorCode : std::uint8_t { Null, Div0, Value, Ref, Name, Num, NA };

// The longest text a cell holds in the file format, in characters.
inline constexpr std::size_t kMaxCellTextCharacters = 32767;

// The text as a cell can hold it: its first kMaxCellTextCharacters characters
// (UTF-8 sequences kept whole).
std::string_view fit_cell_text(std::string_view text);

// "#DIV/0!" and the like, as stored in files and shown in cells.
std::string_view error_text(ErrorCode e);
bool parse_error_text(std::string_view text, ErrorCode& out);

struct Value {
  enum class Type : std::uint8_t { Empty, Number, Text, Boolean, Error };

  Type type = Type::Empty;
  double number = 0;      // Number; Boolean as 0/1
  std::string text;       // Text
  ErrorCode error = ErrorCode::Value;

  static Value empty() { return {}; }
  static Value of_number(double n) { Value v; v.type = Type::Number; v.number = n; return v; }
  static Value of_text(std::string s) { Value v; v.type = Type::Text; v.text = std::move(s); return v; }
  static Value of_bool(bool b) { Value v; v.type = Type::Boolean; v.number = b ? 1 : 0; return v; }
  static Value of_error(ErrorCode e) { Value v; v.type = Type::Error; v.error = e; return v; }

  bool is_empty() const { return type == Type::Empty; }
  bool is_number() const { return type == Type::Number; }
  bool is_text() const { return type == Type::Text; }
  bool is_bool() const { return type == Type::Boolean; }
  bool is_error() const { return type == Type::Error; }

  friend bool operator==(const Value& a, const Value& b);
};

}  // namespace stilaro
