// The evaluator's inner interface, shared by the evaluation loop and the function
// library. Internal to the engine.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formula.h"
#include "formula_ast.h"

namespace stilaro::formula {

// An evaluated argument: a single value or a block of cells.
struct Operand {
  Operand() = default;
  Operand(Value v) : value(std::move(v)) {}  // implicit: a scalar is an operand

  Value value;
  bool is_range = false;
  std::int32_t sheet = 0;
  CellRange range;
};

class Context {
 public:
  virtual ~Context() = default;
  virtual Operand evaluate(const Node& node) = 0;
  // The value of a cell, computing its formula first when needed.
  virtual Value cell_value(std::int32_t sheet, CellAddress at) = 0;
  virtual const RecalcOptions& options() const = 0;
  virtual const Workbook& workbook() const = 0;

  // A scalar: a one-cell range gives its value, a larger one #VALUE!.
  Value scalar(const Operand& o);
  Value scalar(const Node& node) { return scalar(evaluate(node)); }
  // Calls `visit` with every value of a range operand (empty cells skipped).
  void each(const Operand& o, const std::function<void(const Value&)>& visit);
};

// A call through the function table: #NAME? for a name it lacks, #VALUE! for a wrong
// number of arguments.
Value call_function(Context& ctx, const Node& call);

// Coercions used by operators and functions.
bool to_number(const Value& v, double& out);  // empty = 0, text must read as a number
bool to_bool(const Value& v, bool& out);
std::string to_text(const Value& v);          // numbers in General form
Value checked(double n);                      // #NUM! for infinities and NaN
Value checked_text(std::string s);            // #VALUE! for more than a cell holds

}  // namespace stilaro::formula
