// The table of functions and the dispatch of a call through it.
#include <algorithm>
#include <array>

#include "formula_functions.h"

namespace stilaro::formula {

namespace {

constexpr std::size_t kAny = Function::kAny;

constexpr auto kFunctions = std::to_array<Function>({
    {"ABS", "ASS", 1, 1, library::abs},
    {"AND", "E", 1, kAny, library::all_of},
    {"AVERAGE", "MEDIA", 0, kAny, library::average},
    {"CONCAT", "CONCAT", 0, kAny, library::concatenate},
    {"CONCATENATE", "CONCATENA", 0, kAny, library::concatenate},
    {"COUNT", "CONTA.NUMERI", 0, kAny, library::count},
    {"COUNTA", "CONTA.VALORI", 0, kAny, library::count_values},
    {"COUNTIF", "CONTA.SE", 2, 2, library::count_if},
    {"DATE", "DATA", 3, 3, library::date},
    {"DAY", "GIORNO", 1, 1, library::day},
    {"FALSE", "FALSO", 0, 0, library::falsehood},
    {"IF", "SE", 1, 3, library::if_then},
    {"IFERROR", "SE.ERRORE", 2, 2, library::if_error},
    {"INT", "INT", 1, 1, library::whole},
    {"LEFT", "SINISTRA", 1, 2, library::left},
    {"LEN", "LUNGHEZZA", 1, 1, library::length},
    {"LOWER", "MINUSC", 1, 1, library::lower},
    {"MAX", "MAX", 0, kAny, library::max},
    {"MIN", "MIN", 0, kAny, library::min},
    {"MOD", "RESTO", 2, 2, library::remainder},
    {"MONTH", "MESE", 1, 1, library::month},
    {"NOT", "NON", 1, 1, library::negation},
    {"OR", "O", 1, kAny, library::any_of},
    {"PRODUCT", "PRODOTTO", 0, kAny, library::product},
    {"RIGHT", "DESTRA", 1, 2, library::right},
    {"ROUND", "ARROTONDA", 2, 2, library::round},
    {"ROUNDDOWN", "ARROTONDA.PER.DIF", 2, 2, library::round_down},
    {"ROUNDUP", "ARROTONDA.PER.ECC", 2, 2, library::round_up},
    {"SUM", "SOMMA", 0, kAny, library::sum},
    {"SUMIF", "SOMMA.SE", 2, 3, library::sum_if},
    {"TEXT", "TESTO", 2, 2, library::text},
    {"TODAY", "OGGI", 0, 0, library::today},
    {"TRIM", "ANNULLA.SPAZI", 1, 1, library::trim},
    {"TRUE", "VERO", 0, 0, library::truth},
    {"UPPER", "MAIUSC", 1, 1, library::upper},
    {"YEAR", "ANNO", 1, 1, library::year},
});

constexpr bool by_name(const Function& a, const Function& b) { return a.name < b.name; }
static_assert(std::is_sorted(kFunctions.begin(), kFunctions.end(), by_name), "kFunctions must stay sorted by name");

}  // namespace

std::span<const Function> functions() { return kFunctions; }

const Function* function_named(std::string_view name) {
  auto it = std::lower_bound(kFunctions.begin(), kFunctions.end(), name,
                             [](const Function& f, std::string_view n) { return f.name < n; });
  return it != kFunctions.end() && it->name == name ? &*it : nullptr;
}

const Function* function_named_italian(std::string_view italian) {
  auto it = std::find_if(kFunctions.begin(), kFunctions.end(), [&](const Function& f) { return f.italian == italian; });
  return it != kFunctions.end() ? &*it : nullptr;
}

Value call_function(Context& ctx, const Node& call) {
  const Function* f = function_named(call.text);
  if (!f) return Value::of_error(ErrorCode::Name);
  if (call.args.size() < f->min_args || call.args.size() > f->max_args) return Value::of_error(ErrorCode::Value);
  return f->compute(ctx, call.args);
}

}  // namespace stilaro::formula
