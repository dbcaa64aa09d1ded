#include "dpi.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(Sizes, LogicalToPhysicalFollowsTheMonitorScale) {
    EXPECT_EQ(physical_from_logical(1320, 96), 1320);
    EXPECT_EQ(physical_from_logical(1320, 144), 1980);
    EXPECT_EQ(physical_from_logical(880, 144), 1320);
    EXPECT_EQ(physical_from_logical(380, 120), 475);
    EXPECT_EQ(physical_from_logical(-4000, 144), -6000);
    EXPECT_EQ(physical_from_logical(561, 120), 701);  // 701.25
    EXPECT_EQ(physical_from_logical(1320, 0), 1320);  // DPI unknown: scale 1
}

}  // namespace
}  // namespace tarvela
