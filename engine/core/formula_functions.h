// The function library: one table gives every function its name in files, its Italian
// name as members type it, how many arguments it takes and what computes it.
// Internal to the engine.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "formula_eval.h"

namespace stilaro::formula {

using Args = std::vector<std::unique_ptr<Node>>;

struct Function {
  static constexpr std::size_t kAny = std::numeric_limits<std::size_t>::max();

  std::string_view name;     // as files write it, upper case
  std::string_view italian;  // as an Italian spreadsheet names it
  std::size_t min_args = 0;
  std::size_t max_args = kAny;
  Value (*compute)(Context&, const Args&) = nullptr;  // called with a count in range
};

// Every function, sorted by name.
std::span<const Function> functions();
const Function* function_named(std::string_view name);
const Function* function_named_italian(std::string_view italian);

// What computes each function: the common ones in formula_functions.cpp, the rest in
// formula_functions_more.cpp.
namespace library {
Value sum(Context&, const Args&);
Value average(Context&, const Args&);
Value min(Context&, const Args&);
Value max(Context&, const Args&);
Value count(Context&, const Args&);
Value count_values(Context&, const Args&);
Value if_then(Context&, const Args&);
Value if_error(Context&, const Args&);
Value round(Context&, const Args&);
Value round_up(Context&, const Args&);
Value round_down(Context&, const Args&);
Value abs(Context&, const Args&);
Value all_of(Context&, const Args&);
Value any_of(Context&, const Args&);
Value negation(Context&, const Args&);
Value truth(Context&, const Args&);
Value falsehood(Context&, const Args&);
Value concatenate(Context&, const Args&);
Value text(Context&, const Args&);
Value today(Context&, const Args&);
Value date(Context&, const Args&);

Value whole(Context&, const Args&);
Value year(Context&, const Args&);
Value month(Context&, const Args&);
Value day(Context&, const Args&);
Value remainder(Context&, const Args&);
Value product(Context&, const Args&);
Value length(Context&, const Args&);
Value upper(Context&, const Args&);
Value lower(Context&, const Args&);
Value trim(Context&, const Args&);
Value left(Context&, const Args&);
Value right(Context&, const Args&);
Value count_if(Context&, const Args&);
Value sum_if(Context&, const Args&);
}  // namespace library

}  // namespace stilaro::formula
