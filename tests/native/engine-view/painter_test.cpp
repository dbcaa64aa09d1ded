#include "view/painter.h"

#include <gtest/gtest.h>

#include <cstring>

#include "card_fixtures.h"
#include "core/formula.h"
#include "view/controller.h"
#include "view/display_list.h"

namespace stilaro::view {
namespace {

const double kToday = date_serial(2026, 12, 9);

float as_float(std::uint32_t w) {
  float f;
  std::memcpy(&f, &w, sizeof f);
  return f;
}

// One text of a frame with the clips around it, innermost last.
struct DrawnText {
  std::string text;
  std::vector<Rect> clips;
};

std::vector<DrawnText> texts_of(const DisplayList& d) {
  std::vector<DrawnText> out;
  std::vector<Rect> clips;
  const auto& w = d.words();
  for (std::size_t i = 0; i < w.size();) {
    switch (static_cast<Op>(w[i])) {
      case Op::rect: i += 6; break;
      case Op::line: i += 8; break;
      case Op::text: out.push_back({d.strings().substr(w[i + 6], w[i + 7]), clips}); i += 8; break;
      case Op::clip:
        clips.push_back({as_float(w[i + 1]), as_float(w[i + 2]), as_float(w[i + 3]), as_float(w[i + 4])});
        i += 5;
        break;
      case Op::unclip:
        EXPECT_FALSE(clips.empty()) << "unclip without a clip";
        if (!clips.empty()) clips.pop_back();
        i += 1;
        break;
      case Op::filter_button: i += 6; break;
      case Op::frame: i += 7; break;
      case Op::pattern: i += 8; break;
      case Op::path: i += 5 + 2 * w[i + 1]; break;
      default: ADD_FAILURE() << "unknown op " << w[i]; return out;
    }
  }
  EXPECT_TRUE(clips.empty()) << "a clip left open";
  return out;
}

const DrawnText* find(const std::vector<DrawnText>& texts, const std::string& text) {
  for (const DrawnText& t : texts)
    if (t.text == text) return &t;
  return nullptr;
}

TEST(Painter, TextThatWouldCrossItsCellIsClippedAndShortTextIsNot) {
  Controller c;
  ASSERT_EQ(c.open({}, kToday), "");
  c.resize(800, 600);
  auto put = [&](const char* ref, const std::string& text) {
    ASSERT_TRUE(c.go_to(ref));
    c.input(text, static_cast<std::int32_t>(text.size()));
    c.commit();
  };
  put("A1", "una nota molto lunga che non sta nella sua cella");
  put("B1", "x");
  put("C3", "42");
  put("D2", "Agile");
  ASSERT_TRUE(c.go_to("A1"));
  DisplayList d;
  paint(c, d);
  const auto texts = texts_of(d);
  const Layout l = c.layout();
  // Stopped by B1: cut at A1's right edge, inside the grid's own clip.
  const DrawnText* cut = find(texts, "una nota molto lunga che non sta nella sua cella");
  ASSERT_NE(cut, nullptr);
  ASSERT_EQ(cut->clips.size(), 2u);
  EXPECT_NEAR(cut->clips.back().right(), l.col_x(1), 0.01);
  // Short text needs only the grid's clip.
  for (const char* shortText : {"x", "42", "Agile"}) {
    const DrawnText* t = find(texts, shortText);
    ASSERT_NE(t, nullptr) << shortText;
    EXPECT_EQ(t->clips.size(), 1u) << shortText;
  }
}

TEST(Painter, TheYearCardClipsFewOfItsTexts) {
  Controller c;
  ASSERT_EQ(c.open(fixture("year-card.xlsx"), kToday), "");
  c.resize(1320, 880);
  DisplayList d;
  paint(c, d);
  const auto texts = texts_of(d);
  std::size_t own = 0;
  for (const DrawnText& t : texts) own += t.clips.size() > 1;
  EXPECT_GT(texts.size(), 300u);
  EXPECT_LT(own * 5, texts.size());
}

}  // namespace
}  // namespace stilaro::view
