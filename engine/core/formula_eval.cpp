#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "formula_eval.h"
#include "number_format.h"

namespace stilaro {

namespace formula {

namespace {

// Deep chains of formulas are evaluated in pieces so the stack stays small: past this
// many nested evaluation steps, the next cell is put off and computed first on its own.
constexpr int kMaxDepth = 400;

struct DepthGuard {
  int& depth;
  explicit DepthGuard(int& d) : depth(++d) {}
  ~DepthGuard() { --depth; }
};

struct TooDeep {
  std::int32_t sheet;
  CellAddress at;
};

std::string fold(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c -= 32;
  return out;
}

int compare_values(const Value& a, const Value& b) {
  // Empty compares as 0, "" or FALSE depending on the other side; then numbers <
  // texts < booleans, texts case-insensitively.
  auto rank = [](const Value& v) { return v.is_number() ? 0 : v.is_text() ? 1 : 2; };
  Value x = a, y = b;
  if (x.is_empty()) x = y.is_text() ? Value::of_text("") : y.is_bool() ? Value::of_bool(false) : Value::of_number(0);
  if (y.is_empty()) y = x.is_text() ? Value::of_text("") : x.is_bool() ? Value::of_bool(false) : Value::of_number(0);
  if (rank(x) != rank(y)) return rank(x) < rank(y) ? -1 : 1;
  if (x.is_text()) {
    auto p = fold(x.text), q = fold(y.text);
    return p < q ? -1 : p > q ? 1 : 0;
  }
  return x.number < y.number ? -1 : x.number > y.number ? 1 : 0;
}

}  // namespace

Value checked(double n) { return std::isfinite(n) ? Value::of_number(n) : Value::of_error(ErrorCode::Num); }

Value checked_text(std::string s) {
  if (fit_cell_text(s).size() < s.size()) return Value::of_error(ErrorCode::Value);
  return Value::of_text(std::move(s));
}

bool to_number(const Value& v, double& out) {
  switch (v.type) {
    case Value::Type::Empty: out = 0; return true;
    case Value::Type::Number:
    case Value::Type::Boolean: out = v.number; return true;
    case Value::Type::Error: return false;
    case Value::Type::Text: {
      std::string t = v.text;
      t.erase(0, t.find_first_not_of(' '));
      t.erase(t.find_last_not_of(' ') + 1);
      bool percent = !t.empty() && t.back() == '%';
      if (percent) t.pop_back();
      // Texts in Italian form ("3,5") read as numbers too.
      if (t.find(',') != std::string::npos && t.find('.') == std::string::npos) std::replace(t.begin(), t.end(), ',', '.');
      if (!t.empty() && t.front() == '+') t.erase(0, 1);
      auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
      if (t.empty() || ec != std::errc() || p != t.data() + t.size()) return false;
      if (percent) out /= 100;
      return true;
    }
  }
  return false;
}

bool to_bool(const Value& v, bool& out) {
  switch (v.type) {
    case Value::Type::Empty: out = false; return true;
    case Value::Type::Number:
    case Value::Type::Boolean: out = v.number != 0; return true;
    case Value::Type::Text: {
      auto t = fold(v.text);
      if (t == "TRUE" || t == "VERO") return out = true, true;
      if (t == "FALSE" || t == "FALSO") return out = false, true;
      return false;
    }
    case Value::Type::Error: return false;
  }
  return false;
}

std::string to_text(const Value& v) {
  switch (v.type) {
    case Value::Type::Empty: return {};
    case Value::Type::Number: return format_general(v.number);
    case Value::Type::Boolean: return v.number != 0 ? "TRUE" : "FALSE";
    case Value::Type::Text: return v.text;
    case Value::Type::Error: return std::string(error_text(v.error));
  }
  return {};
}

Value Context::scalar(const Operand& o) {
  if (!o.is_range) return o.value;
  if (o.range.first == o.range.last) return cell_value(o.sheet, o.range.first);
  return Value::of_error(ErrorCode::Value);
}

void Context::each(const Operand& o, const std::function<void(const Value&)>& visit) {
  if (!o.is_range) {
    visit(o.value);
    return;
  }
  const Sheet& sheet = workbook().sheets[static_cast<std::size_t>(o.sheet)];
  auto lo = sheet.rows.lower_bound(o.range.first.row);
  auto hi = sheet.rows.upper_bound(o.range.last.row);
  std::vector<CellAddress> cells;
  for (auto r = lo; r != hi; ++r) {
    auto c = r->second.cells.lower_bound(o.range.first.col);
    auto ce = r->second.cells.upper_bound(o.range.last.col);
    for (; c != ce; ++c) cells.push_back({r->first, c->first});
  }
  // Values are read after the walk: computing a formula may add cells to the sheet.
  for (auto at : cells) {
    Value v = cell_value(o.sheet, at);
    if (!v.is_empty()) visit(v);
  }
}

namespace {

class Evaluator final : public Context {
 public:
  Evaluator(Workbook& wb, const RecalcOptions& options, bool store)
      : wb_(wb), options_(options), store_(store) {}

  const RecalcOptions& options() const override { return options_; }
  const Workbook& workbook() const override { return wb_; }

  // Evaluates a formula standing in (sheet, at).
  Value run(std::int32_t sheet, CellAddress at, std::string_view text) {
    auto node = parse(text);
    if (!node) return Value::of_error(ErrorCode::Name);
    std::int32_t saved_sheet = sheet_;
    CellAddress saved_at = at_;
    sheet_ = sheet;
    at_ = at;
    Value v = scalar(evaluate(*node));
    sheet_ = saved_sheet;
    at_ = saved_at;
    // A formula showing an empty cell shows 0.
    return v.is_empty() ? Value::of_number(0) : v;
  }

  Value cell_value(std::int32_t sheet, CellAddress at) override {
    Sheet& s = wb_.sheets[static_cast<std::size_t>(sheet)];
    Cell* cell = s.cell(at);
    if (!cell) return {};
    if (!cell->has_formula() || !store_) return cell->value;
    auto k = key(sheet, at);
    auto& state = state_[k];
    if (state == kDone) return cell->value;
    if (state == kActive) return Value::of_error(ErrorCode::Value);  // a cycle
    if (depth_ >= kMaxDepth) throw TooDeep{sheet, at};
    state = kActive;
    Value v;
    try {
      DepthGuard guard(depth_);
      v = run(sheet, at, cell->formula);
    } catch (const TooDeep&) {
      state_[k] = kPending;
      throw;
    }
    settle(sheet, at, v);
    return v;
  }

  void settle(std::int32_t sheet, CellAddress at, const Value& v) {
    state_[key(sheet, at)] = kDone;
    Sheet& s = wb_.sheets[static_cast<std::size_t>(sheet)];
    // The map may have grown while evaluating: look the cell up again.
    Cell* target = s.cell(at);
    if (!(target->value == v)) {
      target->value = v;
      s.changed_cells.insert({at.row, at.col});
      ++changed_;
    }
  }

  // Evaluates every formula cell of the workbook.
  std::size_t recalculate_all() {
    std::vector<std::pair<std::int32_t, CellAddress>> todo;
    for (std::size_t i = 0; i < wb_.sheets.size(); ++i)
      for (const auto& [r, row] : wb_.sheets[i].rows)
        for (const auto& [c, cell] : row.cells)
          if (cell.has_formula()) todo.push_back({static_cast<std::int32_t>(i), {r, c}});
    for (const auto& [sheet, at] : todo) {
      std::vector<std::pair<std::int32_t, CellAddress>> stack{{sheet, at}};
      while (!stack.empty()) {
        auto [s, a] = stack.back();
        try {
          depth_ = 0;
          cell_value(s, a);
          stack.pop_back();
        } catch (const TooDeep& deep) {
          // Meeting a deferred cell again means the chain loops back: a cycle.
          bool again = std::any_of(stack.begin(), stack.end(), [&](const auto& p) {
            return p.first == deep.sheet && p.second == deep.at;
          });
          if (again) settle(deep.sheet, deep.at, Value::of_error(ErrorCode::Value));
          else stack.push_back({deep.sheet, deep.at});
        }
      }
    }
    return changed_;
  }

  Operand evaluate(const Node& n) override {
    DepthGuard guard(depth_);
    switch (n.kind) {
      case Node::Kind::Number: return {checked(n.number)};
      case Node::Kind::String: return {Value::of_text(n.text)};
      case Node::Kind::Bool: return {Value::of_bool(n.number != 0)};
      case Node::Kind::Error: return {Value::of_error(n.error)};
      case Node::Kind::Missing: return {Value{}};
      case Node::Kind::Ref: return reference(n.ref);
      case Node::Kind::Name: return name(n.text);
      case Node::Kind::Percent: {
        Value v = scalar(*n.args[0]);
        double x;
        if (v.is_error()) return {v};
        if (!to_number(v, x)) return {Value::of_error(ErrorCode::Value)};
        return {checked(x / 100)};
      }
      case Node::Kind::Unary: {
        Value v = scalar(*n.args[0]);
        double x;
        if (v.is_error()) return {v};
        if (!to_number(v, x)) return {Value::of_error(ErrorCode::Value)};
        return {checked(n.text == "-" ? -x : x)};
      }
      case Node::Kind::Binary: return {binary(n)};
      case Node::Kind::Call: return {call_function(*this, n)};
    }
    return {Value::of_error(ErrorCode::Value)};
  }

 private:
  static constexpr std::uint8_t kPending = 0, kActive = 1, kDone = 2;

  static std::uint64_t key(std::int32_t sheet, CellAddress at) {
    return (static_cast<std::uint64_t>(sheet) << 48) | (static_cast<std::uint64_t>(at.row) << 16) |
           static_cast<std::uint64_t>(at.col);
  }

  Operand reference(const Reference& ref) {
    std::int32_t sheet = sheet_;
    if (!ref.sheet.empty()) {
      auto i = wb_.sheet_index(ref.sheet);
      if (!i) return {Value::of_error(ErrorCode::Ref)};
      sheet = *i;
    }
    Operand o;
    o.is_range = true;
    o.sheet = sheet;
    CellRange r{{std::min(ref.first.row, ref.last.row), std::min(ref.first.col, ref.last.col)},
                {std::max(ref.first.row, ref.last.row), std::max(ref.first.col, ref.last.col)}};
    if (ref.kind == Reference::Kind::Columns) r.first.row = 0, r.last.row = kMaxRows - 1;
    if (ref.kind == Reference::Kind::Rows) r.first.col = 0, r.last.col = kMaxColumns - 1;
    o.range = r;
    return o;
  }

  Operand name(const std::string& text) {
    const DefinedName* d = wb_.find_name(text, sheet_);
    if (!d || ++name_depth_ > 8) {
      if (d) --name_depth_;
      return {Value::of_error(ErrorCode::Name)};
    }
    auto node = parse(d->formula);
    Operand o = node ? evaluate(*node) : Operand{Value::of_error(ErrorCode::Ref)};
    --name_depth_;
    return o;
  }

  // A left-leaning chain (A1+A2+A3...) is walked in a loop, not by recursion.
  Value binary(const Node& top) {
    std::vector<const Node*> chain;
    const Node* n = &top;
    while (n->kind == Node::Kind::Binary) {
      chain.push_back(n);
      n = n->args[0].get();
    }
    Value acc = scalar(*n);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) acc = apply((*it)->text, acc, scalar(*(*it)->args[1]));
    return acc;
  }

  static Value apply(const std::string& op, const Value& a, const Value& b) {
    if (a.is_error()) return a;
    if (b.is_error()) return b;
    if (op == "&") return checked_text(to_text(a) + to_text(b));
    if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") {
      int c = compare_values(a, b);
      bool r = op == "=" ? c == 0 : op == "<>" ? c != 0 : op == "<" ? c < 0 : op == ">" ? c > 0 : op == "<=" ? c <= 0 : c >= 0;
      return Value::of_bool(r);
    }
    double x, y;
    if (!to_number(a, x) || !to_number(b, y)) return Value::of_error(ErrorCode::Value);
    switch (op[0]) {
      case '+': return checked(x + y);
      case '-': return checked(x - y);
      case '*': return checked(x * y);
      case '/': return y == 0 ? Value::of_error(ErrorCode::Div0) : checked(x / y);
      case '^':
        if (x == 0 && y == 0) return Value::of_error(ErrorCode::Num);
        if (x == 0 && y < 0) return Value::of_error(ErrorCode::Div0);
        return checked(std::pow(x, y));
    }
    return Value::of_error(ErrorCode::Value);
  }

  Workbook& wb_;
  RecalcOptions options_;
  bool store_;
  std::unordered_map<std::uint64_t, std::uint8_t> state_;
  std::int32_t sheet_ = 0;
  CellAddress at_;
  int depth_ = 0;
  int name_depth_ = 0;
  std::size_t changed_ = 0;
};

}  // namespace

}  // namespace formula

Value evaluate_formula(const Workbook& workbook, std::int32_t sheet, CellAddress at,
                       std::string_view text, const RecalcOptions& options) {
  if (sheet < 0 || static_cast<std::size_t>(sheet) >= workbook.sheets.size()) return Value::of_error(ErrorCode::Ref);
  // Without storing, the evaluator only reads: the const_cast never leads to a write.
  formula::Evaluator ev(const_cast<Workbook&>(workbook), options, false);
  return ev.run(sheet, at, text);
}

std::size_t recalculate(Workbook& workbook, const RecalcOptions& options) {
  formula::Evaluator ev(workbook, options, true);
  return ev.recalculate_all();
}

}  // namespace stilaro
