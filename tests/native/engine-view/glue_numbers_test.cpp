// The glue (engine/glue/*.js) and the module share numbers written on both
// sides: answer flags, key codes and drawing operations. They must agree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "view/controller.h"
#include "view/display_list.h"

namespace stilaro::view {
namespace {

std::string glue(const char* name) {
  std::ifstream in(std::filesystem::path(STILARO_GLUE) / name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// "name: 1" or "NAME = 1" pairs inside `text`.
std::map<std::string, int> numbers(const std::string& text, const std::string& pattern) {
  std::map<std::string, int> out;
  const std::regex pair(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pair); it != std::sregex_iterator(); ++it)
    out[(*it)[1]] = std::stoi((*it)[2]);
  return out;
}

std::string block(const std::string& text, const std::string& start) {
  const auto from = text.find(start);
  EXPECT_NE(from, std::string::npos) << start;
  return text.substr(from, text.find('}', from) - from);
}

TEST(GlueNumbers, FlagsKeysAndDrawingOperationsAgreeWithTheModule) {
  const std::string input = glue("input.js");
  const auto flags = numbers(block(input, "const REDRAW"), R"(([A-Z_]+) = (\d+))");
  EXPECT_EQ(flags, (std::map<std::string, int>{
                       {"REDRAW", kRedraw}, {"CHANGED", kChanged}, {"EDIT_SYNC", kEditSync},
                       {"HANDLED", kHandled}, {"EDIT_END", kEditEnd}}));

  const auto keys = numbers(block(input, "const KEY_CODES"), R"((\w+): (\d+))");
  const std::map<std::string, Key> named = {
      {"Enter", Key::enter}, {"Tab", Key::tab}, {"Escape", Key::escape}, {"ArrowLeft", Key::left},
      {"ArrowRight", Key::right}, {"ArrowUp", Key::up}, {"ArrowDown", Key::down}, {"Home", Key::home},
      {"End", Key::end}, {"PageUp", Key::page_up}, {"PageDown", Key::page_down}, {"F2", Key::f2},
      {"Delete", Key::del}, {"Backspace", Key::backspace}};
  ASSERT_EQ(keys.size(), named.size());
  for (const auto& [name, key] : named) EXPECT_EQ(keys.at(name), static_cast<int>(key)) << name;

  const auto letters = numbers(block(input, "const LETTER_CODES"), R"((\w): (\d+))");
  EXPECT_EQ(letters, (std::map<std::string, int>{{"z", static_cast<int>(Key::undo)},
                                                 {"y", static_cast<int>(Key::redo)},
                                                 {"a", static_cast<int>(Key::select_all)},
                                                 {"g", static_cast<int>(Key::go_to)}}));

  // draw.js names each operation beside its case: "case 1: {  // rect".
  std::map<std::string, int> by_name;
  const std::regex op_case(R"(case (\d+):[^/\n]*// ([a-z ]+))");
  const std::string draw = glue("draw.js");
  for (auto it = std::sregex_iterator(draw.begin(), draw.end(), op_case); it != std::sregex_iterator(); ++it)
    by_name[(*it)[2]] = std::stoi((*it)[1]);
  EXPECT_EQ(by_name, (std::map<std::string, int>{{"rect", static_cast<int>(Op::rect)},
                                                 {"line", static_cast<int>(Op::line)},
                                                 {"text", static_cast<int>(Op::text)},
                                                 {"clip", static_cast<int>(Op::clip)},
                                                 {"unclip", static_cast<int>(Op::unclip)},
                                                 {"filter button", static_cast<int>(Op::filter_button)},
                                                 {"frame", static_cast<int>(Op::frame)},
                                                 {"pattern", static_cast<int>(Op::pattern)},
                                                 {"path", static_cast<int>(Op::path)}}));
}

}  // namespace
}  // namespace stilaro::view
