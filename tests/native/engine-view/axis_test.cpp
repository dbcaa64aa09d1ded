#include "view/axis.h"

#include <gtest/gtest.h>

namespace stilaro::view {
namespace {

TEST(Axis, PositionsSkipHiddenAndContinueWithTheDefault) {
  Axis a(20, 1000);
  a.set(1, 30);
  a.set(2, 0);  // hidden
  a.set(3, 10);
  EXPECT_DOUBLE_EQ(a.position(0), 0);
  EXPECT_DOUBLE_EQ(a.position(2), 50);
  EXPECT_DOUBLE_EQ(a.position(3), 50);
  EXPECT_DOUBLE_EQ(a.position(4), 60);
  EXPECT_DOUBLE_EQ(a.position(10), 60 + 6 * 20);
  EXPECT_DOUBLE_EQ(a.total(), 60 + 996 * 20);
  EXPECT_TRUE(a.hidden(2));
}

TEST(Axis, IndexAtIsTheInverseOfPosition) {
  Axis a(20, 1000);
  a.set(1, 30);
  a.set(2, 0);
  a.set(3, 10);
  EXPECT_EQ(a.index_at(-5), 0);
  EXPECT_EQ(a.index_at(19.9), 0);
  EXPECT_EQ(a.index_at(20), 1);
  EXPECT_EQ(a.index_at(50), 3);  // never the hidden index sharing the offset
  EXPECT_EQ(a.index_at(59), 3);
  EXPECT_EQ(a.index_at(60), 4);
  EXPECT_EQ(a.index_at(60 + 20 * 5 + 1), 9);
  EXPECT_EQ(a.index_at(1e12), 999);  // clamped to the last index
  for (std::int32_t i : {0, 1, 3, 4, 17, 500})
    EXPECT_EQ(a.index_at(a.position(i) + 0.5), i) << i;
}

TEST(Axis, VisibleFromStepsOverHiddenIndices) {
  Axis a(20, 10);
  a.set(4, 0);
  a.set(5, 0);
  EXPECT_EQ(a.visible_from(4, 1), 6);
  EXPECT_EQ(a.visible_from(5, -1), 3);
  Axis all_hidden(0, 3);
  EXPECT_EQ(all_hidden.visible_from(1, 1), 1);
}

}  // namespace
}  // namespace stilaro::view
