// Tokens and syntax tree of formulas. Internal to the engine.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "address.h"
#include "value.h"

namespace stilaro::formula {

// One end of a reference, with its "$" marks.
struct RefPoint {
  std::int32_t row = 0;
  std::int32_t col = 0;
  bool abs_row = false;
  bool abs_col = false;
};

struct Reference {
  enum class Kind : std::uint8_t { Cell, Area, Columns, Rows };
  Kind kind = Kind::Cell;
  std::string sheet;  // empty: the formula's own sheet
  RefPoint first, last;
};

struct Token {
  enum class Type : std::uint8_t {
    Number, String, Bool, Error, Ref, Name, Function, Operator, LParen, RParen, Comma, End
  };
  Type type = Type::End;
  std::size_t begin = 0, end = 0;  // span in the source text
  double number = 0;
  std::string text;     // string value, name, function name (upper case), operator
  ErrorCode error = ErrorCode::Value;
  Reference ref;
  std::size_t sheet_end = 0;  // for Ref: where the "Sheet!" prefix ends (== begin when none)
};

// Splits a formula (without "="); nullopt on characters that start no token.
std::optional<std::vector<Token>> tokenize(std::string_view text);

struct Node {
  enum class Kind : std::uint8_t { Number, String, Bool, Error, Ref, Name, Unary, Binary, Percent, Call, Missing };
  Kind kind = Kind::Number;
  double number = 0;
  std::string text;  // string value, name, function name, operator
  ErrorCode error = ErrorCode::Value;
  Reference ref;
  std::vector<std::unique_ptr<Node>> args;
  // Nesting levels below and including this node; a chain like A1+A2+...+A300 is
  // evaluated in a loop and counts as one level.
  int height = 1;

  Node() = default;
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;
  // Tears a chain down in a loop: destroying it recursively would take one stack
  // frame per term, more than the module has for a formula of many thousand terms.
  ~Node();
};

// Deeper formulas are refused: evaluating them would need more stack than the
// module has (spreadsheet programs allow 64 levels of nested functions).
inline constexpr int kMaxFormulaHeight = 100;

// Parses a formula (without "="); nullptr when it is not well formed.
std::unique_ptr<Node> parse(std::string_view text);

// "A1", "$B$2": the text of a reference end.
std::string point_text(const RefPoint& p, Reference::Kind kind);

}  // namespace stilaro::formula
