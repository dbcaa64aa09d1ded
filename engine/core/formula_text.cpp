// Formula text operations that keep the user's spelling: moving references, and turning
// typed (possibly Italian) formulas into file syntax.
#include <cctype>

#include "formula.h"
#include "formula_ast.h"
#include "formula_functions.h"

namespace stilaro {

namespace {

using formula::Reference;
using formula::RefPoint;
using formula::Token;

bool shift_point(RefPoint& p, Reference::Kind kind, std::int32_t rows, std::int32_t cols) {
  if (kind != Reference::Kind::Rows && !p.abs_col) p.col += cols;
  if (kind != Reference::Kind::Columns && !p.abs_row) p.row += rows;
  return p.row >= 0 && p.row < kMaxRows && p.col >= 0 && p.col < kMaxColumns;
}

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c -= 32;
  return out;
}

bool digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool formula_is_valid(std::string_view text) { return formula::parse(text) != nullptr; }

std::string shift_formula(std::string_view text, std::int32_t rows, std::int32_t cols) {
  auto tokens = formula::tokenize(text);
  if (!tokens) return std::string(text);
  std::string out;
  std::size_t copied = 0;
  for (const Token& t : *tokens) {
    if (t.type != Token::Type::Ref) continue;
    out.append(text.substr(copied, t.sheet_end > t.begin ? t.sheet_end - copied : t.begin - copied));
    Reference r = t.ref;
    bool ok = shift_point(r.first, r.kind, rows, cols) && shift_point(r.last, r.kind, rows, cols);
    if (!ok) {
      out += "#REF!";
    } else {
      out += formula::point_text(r.first, r.kind);
      if (r.kind != Reference::Kind::Cell) out += ":" + formula::point_text(r.last, r.kind);
    }
    copied = t.end;
  }
  out.append(text.substr(copied));
  return out;
}

std::string formula_from_input(std::string_view typed) {
  // Italian separators: ";" between arguments, or a "," outside any parenthesis
  // (which file syntax never has): then "," in numbers is the decimal comma.
  bool italian = false;
  int depth = 0;
  bool in_string = false;
  for (char c : typed) {
    if (c == '"') in_string = !in_string;
    if (in_string) continue;
    if (c == '(') ++depth;
    if (c == ')') --depth;
    if (c == ';' || (c == ',' && depth <= 0)) italian = true;
  }

  std::string out;
  in_string = false;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    char c = typed[i];
    if (c == '"') in_string = !in_string;
    if (in_string || c == '"') {
      out.push_back(c);
      continue;
    }
    if (italian && c == ';') {
      out.push_back(',');
      continue;
    }
    if (italian && c == ',' && i > 0 && digit(typed[i - 1]) && i + 1 < typed.size() && digit(typed[i + 1])) {
      out.push_back('.');
      continue;
    }
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool starts_word = letter && (i == 0 || !(std::isalnum(static_cast<unsigned char>(typed[i - 1])) ||
                                              typed[i - 1] == '.' || typed[i - 1] == '_' || typed[i - 1] == '$' ||
                                              typed[i - 1] == '\''));
    if (starts_word) {
      std::size_t j = i;
      while (j < typed.size() && (std::isalnum(static_cast<unsigned char>(typed[j])) || typed[j] == '.' || typed[j] == '_'))
        ++j;
      std::string word = upper(typed.substr(i, j - i));
      std::size_t k = j;
      while (k < typed.size() && typed[k] == ' ') ++k;
      bool call = k < typed.size() && typed[k] == '(';
      bool sheet = j < typed.size() && typed[j] == '!';
      // VERO and FALSO are also the boolean values, typed without parentheses.
      const formula::Function* f = formula::function_named_italian(word);
      if (f && !sheet && (call || f->name == "TRUE" || f->name == "FALSE")) {
        out += f->name;
        i = j - 1;
        continue;
      }
      out.append(typed.substr(i, j - i));
      i = j - 1;
      continue;
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace stilaro
