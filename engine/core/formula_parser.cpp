#include <algorithm>
#include <charconv>

#include "formula_ast.h"

namespace stilaro::formula {

namespace {

bool is_alpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_word(char c) {
  return is_alpha(c) || is_digit(c) || c == '_' || c == '.' || c == '$' || c == '\\' ||
         static_cast<unsigned char>(c) >= 0x80;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c -= 32;
  return out;
}

// "$B$12" -> point; `want` selects a cell, a column only or a row only.
std::optional<RefPoint> read_point(std::string_view s, Reference::Kind want) {
  RefPoint p;
  std::size_t i = 0;
  if (want != Reference::Kind::Rows) {
    if (i < s.size() && s[i] == '$') p.abs_col = true, ++i;
    std::size_t start = i;
    while (i < s.size() && is_alpha(s[i])) ++i;
    auto col = parse_column(s.substr(start, i - start));
    if (!col) return std::nullopt;
    p.col = *col;
    if (want == Reference::Kind::Columns) return i == s.size() ? std::optional(p) : std::nullopt;
  }
  if (i < s.size() && s[i] == '$') p.abs_row = true, ++i;
  if (i >= s.size() || s[i] == '0') return std::nullopt;
  std::int64_t row = 0;
  for (; i < s.size(); ++i) {
    if (!is_digit(s[i])) return std::nullopt;
    row = row * 10 + (s[i] - '0');
    if (row > kMaxRows) return std::nullopt;
  }
  p.row = static_cast<std::int32_t>(row - 1);
  return p;
}

class Lexer {
 public:
  explicit Lexer(std::string_view s) : s_(s) {}

  std::optional<std::vector<Token>> run() {
    std::vector<Token> out;
    for (;;) {
      while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
      Token t;
      t.begin = i_;
      if (i_ >= s_.size()) {
        t.type = Token::Type::End;
        t.end = i_;
        out.push_back(std::move(t));
        return out;
      }
      if (!next(t)) return std::nullopt;
      t.end = i_;
      out.push_back(std::move(t));
    }
  }

 private:
  bool next(Token& t) {
    char c = s_[i_];
    if (c == '"') return string(t);
    if (c == '#') return error(t);
    if (c == '\'') return quoted_sheet(t);
    if (is_digit(c) || (c == '.' && i_ + 1 < s_.size() && is_digit(s_[i_ + 1]))) {
      if (row_range(t, {})) return true;
      return number(t);
    }
    if (is_word(c)) return word(t);
    switch (c) {
      case '(': t.type = Token::Type::LParen; ++i_; return true;
      case ')': t.type = Token::Type::RParen; ++i_; return true;
      case ',': t.type = Token::Type::Comma; ++i_; return true;
      case '%': case '+': case '-': case '*': case '/': case '^': case '&': case '=':
        t.type = Token::Type::Operator; t.text = std::string(1, c); ++i_; return true;
      case '<': case '>': {
        t.type = Token::Type::Operator;
        t.text = std::string(1, c);
        ++i_;
        if (i_ < s_.size() && (s_[i_] == '=' || (c == '<' && s_[i_] == '>'))) t.text.push_back(s_[i_++]);
        return true;
      }
      default: return false;
    }
  }

  bool string(Token& t) {
    t.type = Token::Type::String;
    ++i_;
    for (;;) {
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '"') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '"') {
          t.text.push_back('"');
          i_ += 2;
          continue;
        }
        ++i_;
        return true;
      }
      t.text.push_back(s_[i_++]);
    }
  }

  bool error(Token& t) {
    static constexpr std::string_view kTexts[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
    for (auto e : kTexts) {
      if (upper(s_.substr(i_, e.size())) == e) {
        t.type = Token::Type::Error;
        parse_error_text(e, t.error);
        i_ += e.size();
        return true;
      }
    }
    return false;
  }

  bool number(Token& t) {
    std::size_t start = i_;
    while (i_ < s_.size() && (is_digit(s_[i_]) || s_[i_] == '.')) ++i_;
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      std::size_t save = i_++;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (i_ < s_.size() && is_digit(s_[i_])) {
        while (i_ < s_.size() && is_digit(s_[i_])) ++i_;
      } else {
        i_ = save;
      }
    }
    auto text = s_.substr(start, i_ - start);
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), t.number);
    if (ec != std::errc() || p != text.data() + text.size()) return false;
    t.type = Token::Type::Number;
    return true;
  }

  // "1:3" or "$1:$3" (whole rows), tried before numbers.
  bool row_range(Token& t, std::string sheet) {
    std::size_t save = i_;
    auto a = span_of([](char c) { return is_digit(c) || c == '$'; });
    if (i_ < s_.size() && s_[i_] == ':') {
      ++i_;
      auto b = span_of([](char c) { return is_digit(c) || c == '$'; });
      auto p = read_point(a, Reference::Kind::Rows), q = read_point(b, Reference::Kind::Rows);
      if (p && q) {
        t.type = Token::Type::Ref;
        t.ref = {Reference::Kind::Rows, std::move(sheet), *p, *q};
        return true;
      }
    }
    i_ = save;
    return false;
  }

  template <class F>
  std::string_view span_of(F ok) {
    std::size_t start = i_;
    while (i_ < s_.size() && ok(s_[i_])) ++i_;
    return s_.substr(start, i_ - start);
  }

  bool quoted_sheet(Token& t) {
    std::string name;
    ++i_;
    for (;;) {
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '\'') {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == '\'') {
          name.push_back('\'');
          i_ += 2;
          continue;
        }
        ++i_;
        break;
      }
      name.push_back(s_[i_++]);
    }
    if (i_ >= s_.size() || s_[i_] != '!') return false;
    ++i_;
    t.sheet_end = i_;
    return reference(t, std::move(name));
  }

  // After "Sheet!": a cell, area, column or row range; "#REF!" stands for a lost one.
  bool reference(Token& t, std::string sheet) {
    if (i_ < s_.size() && s_[i_] == '#') {
      if (!error(t)) return false;
      return true;
    }
    if (i_ < s_.size() && (is_digit(s_[i_]) || s_[i_] == '$') && row_range(t, sheet)) return true;
    std::size_t save = i_;
    auto a = span_of([](char c) { return is_alpha(c) || is_digit(c) || c == '$'; });
    if (a.empty()) return false;
    return cell_or_area(t, a, std::move(sheet)) || (i_ = save, false);
  }

  bool cell_or_area(Token& t, std::string_view a, std::string sheet) {
    t.type = Token::Type::Ref;
    if (i_ < s_.size() && s_[i_] == ':') {
      std::size_t save = i_++;
      auto b = span_of([](char c) { return is_alpha(c) || is_digit(c) || c == '$'; });
      auto p = read_point(a, Reference::Kind::Cell), q = read_point(b, Reference::Kind::Cell);
      if (p && q) {
        t.ref = {Reference::Kind::Area, std::move(sheet), *p, *q};
        return true;
      }
      p = read_point(a, Reference::Kind::Columns);
      q = read_point(b, Reference::Kind::Columns);
      if (p && q) {
        t.ref = {Reference::Kind::Columns, std::move(sheet), *p, *q};
        return true;
      }
      i_ = save;
    }
    if (auto p = read_point(a, Reference::Kind::Cell)) {
      t.ref = {Reference::Kind::Cell, std::move(sheet), *p, *p};
      return true;
    }
    return false;
  }

  bool word(Token& t) {
    std::size_t start = i_;
    auto w = span_of(is_word);
    if (i_ < s_.size() && s_[i_] == '!') {
      ++i_;
      t.sheet_end = i_;
      return reference(t, std::string(w));
    }
    t.sheet_end = start;
    std::size_t after = i_;
    while (after < s_.size() && s_[after] == ' ') ++after;
    if (after < s_.size() && s_[after] == '(') {
      t.type = Token::Type::Function;
      t.text = upper(w);
      // Newer functions are stored with a "_xlfn." prefix.
      if (t.text.starts_with("_XLFN.")) t.text.erase(0, 6);
      return true;
    }
    std::string up = upper(w);
    if (up == "TRUE" || up == "FALSE") {
      t.type = Token::Type::Bool;
      t.number = up == "TRUE";
      return true;
    }
    i_ = start;
    auto a = span_of([](char c) { return is_alpha(c) || is_digit(c) || c == '$'; });
    if (a.size() == w.size() && cell_or_area(t, a, {})) return true;
    i_ = start + w.size();
    t.type = Token::Type::Name;
    t.text = std::string(w);
    return true;
  }

  std::string_view s_;
  std::size_t i_ = 0;
};

// Precedence climbing over the token list.
class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : t_(std::move(tokens)) {}

  std::unique_ptr<Node> run() {
    auto n = comparison();
    if (!n || too_deep_ || peek().type != Token::Type::End) return nullptr;
    return n;
  }

 private:
  const Token& peek() const { return t_[p_]; }
  bool is_op(std::string_view op) const {
    return peek().type == Token::Type::Operator && peek().text == op;
  }

  // Gives a node its height; a tree growing too tall stops the parse.
  std::unique_ptr<Node> grown(std::unique_ptr<Node> n) {
    for (std::size_t i = 0; i < n->args.size(); ++i) {
      bool spine = n->kind == Node::Kind::Binary && i == 0;
      n->height = std::max(n->height, n->args[i]->height + (spine ? 0 : 1));
    }
    if (n->height > kMaxFormulaHeight) {
      too_deep_ = true;
      return nullptr;
    }
    return n;
  }

  std::unique_ptr<Node> binary(std::string op, std::unique_ptr<Node> a, std::unique_ptr<Node> b) {
    auto n = std::make_unique<Node>();
    n->kind = Node::Kind::Binary;
    n->text = std::move(op);
    n->args.push_back(std::move(a));
    n->args.push_back(std::move(b));
    return grown(std::move(n));
  }

  template <class Next>
  std::unique_ptr<Node> level(std::initializer_list<std::string_view> ops, Next next) {
    auto left = (this->*next)();
    while (left) {
      bool matched = false;
      for (auto op : ops) {
        if (!is_op(op)) continue;
        ++p_;
        auto right = (this->*next)();
        if (!right) return nullptr;
        left = binary(std::string(op), std::move(left), std::move(right));
        matched = true;
        break;
      }
      if (!matched) break;
    }
    return left;
  }

  // Nesting is bounded before the tree is built, so the parser's own recursion is too.
  std::unique_ptr<Node> comparison() {
    if (++depth_ > kMaxFormulaHeight) {
      too_deep_ = true;
      --depth_;
      return nullptr;
    }
    auto n = level({"=", "<>", "<=", ">=", "<", ">"}, &Parser::concat);
    --depth_;
    return n;
  }
  std::unique_ptr<Node> concat() { return level({"&"}, &Parser::additive); }
  std::unique_ptr<Node> additive() { return level({"+", "-"}, &Parser::multiplicative); }
  std::unique_ptr<Node> multiplicative() { return level({"*", "/"}, &Parser::power); }
  std::unique_ptr<Node> power() { return level({"^"}, &Parser::unary); }

  std::unique_ptr<Node> unary() {
    if (is_op("-") || is_op("+")) {
      if (++depth_ > kMaxFormulaHeight) {
        too_deep_ = true;
        return nullptr;
      }
      std::string op = peek().text;
      ++p_;
      auto operand = unary();
      --depth_;
      if (!operand) return nullptr;
      auto n = std::make_unique<Node>();
      n->kind = Node::Kind::Unary;
      n->text = op;
      n->args.push_back(std::move(operand));
      return grown(std::move(n));
    }
    return percent();
  }

  std::unique_ptr<Node> percent() {
    auto n = primary();
    while (n && is_op("%")) {
      ++p_;
      auto pc = std::make_unique<Node>();
      pc->kind = Node::Kind::Percent;
      pc->args.push_back(std::move(n));
      n = grown(std::move(pc));
    }
    return n;
  }

  std::unique_ptr<Node> primary() {
    const Token& t = peek();
    auto n = std::make_unique<Node>();
    switch (t.type) {
      case Token::Type::Number: n->kind = Node::Kind::Number; n->number = t.number; ++p_; return n;
      case Token::Type::String: n->kind = Node::Kind::String; n->text = t.text; ++p_; return n;
      case Token::Type::Bool: n->kind = Node::Kind::Bool; n->number = t.number; ++p_; return n;
      case Token::Type::Error: n->kind = Node::Kind::Error; n->error = t.error; ++p_; return n;
      case Token::Type::Ref: n->kind = Node::Kind::Ref; n->ref = t.ref; ++p_; return n;
      case Token::Type::Name: n->kind = Node::Kind::Name; n->text = t.text; ++p_; return n;
      case Token::Type::LParen: {
        ++p_;
        auto inner = comparison();
        if (!inner || peek().type != Token::Type::RParen) return nullptr;
        ++p_;
        return inner;
      }
      case Token::Type::Function: return call();
      default: return nullptr;
    }
  }

  std::unique_ptr<Node> call() {
    auto n = std::make_unique<Node>();
    n->kind = Node::Kind::Call;
    n->text = peek().text;
    ++p_;
    if (peek().type != Token::Type::LParen) return nullptr;
    ++p_;
    if (peek().type == Token::Type::RParen) {
      ++p_;
      return n;
    }
    for (;;) {
      if (peek().type == Token::Type::Comma || peek().type == Token::Type::RParen) {
        auto missing = std::make_unique<Node>();
        missing->kind = Node::Kind::Missing;
        n->args.push_back(std::move(missing));
      } else {
        auto arg = comparison();
        if (!arg) return nullptr;
        n->args.push_back(std::move(arg));
      }
      if (peek().type == Token::Type::Comma) {
        ++p_;
        continue;
      }
      if (peek().type != Token::Type::RParen) return nullptr;
      ++p_;
      return grown(std::move(n));
    }
  }

  std::vector<Token> t_;
  std::size_t p_ = 0;
  int depth_ = 0;
  bool too_deep_ = false;
};

}  // namespace

Node::~Node() {
  std::vector<std::unique_ptr<Node>> pending;
  auto take = [&](std::vector<std::unique_ptr<Node>>& from) {
    for (auto& a : from)
      if (a) pending.push_back(std::move(a));
  };
  take(args);
  while (!pending.empty()) {
    std::unique_ptr<Node> n = std::move(pending.back());
    pending.pop_back();
    take(n->args);
  }
}

std::optional<std::vector<Token>> tokenize(std::string_view text) { return Lexer(text).run(); }

std::unique_ptr<Node> parse(std::string_view text) {
  auto tokens = tokenize(text);
  if (!tokens) return nullptr;
  return Parser(std::move(*tokens)).run();
}

std::string point_text(const RefPoint& p, Reference::Kind kind) {
  std::string out;
  if (kind != Reference::Kind::Rows) {
    if (p.abs_col) out.push_back('$');
    out += column_name(p.col);
  }
  if (kind != Reference::Kind::Columns) {
    if (p.abs_row) out.push_back('$');
    out += std::to_string(p.row + 1);
  }
  return out;
}

}  // namespace stilaro::formula
