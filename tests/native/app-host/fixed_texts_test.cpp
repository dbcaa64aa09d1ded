#include "browser_arguments.h"

#include <gtest/gtest.h>

#include "bridge_script.h"

namespace tarvela {
namespace {

TEST(Texts, FixedTextsHaveTheirExactLengths) {
    EXPECT_EQ(additional_browser_arguments.size(), 105u);
    EXPECT_EQ(bridge_script.size(), 122u);
    EXPECT_EQ(app_flag_script, "window.__TS_APP__ = 'windows';");
}

}  // namespace
}  // namespace tarvela
