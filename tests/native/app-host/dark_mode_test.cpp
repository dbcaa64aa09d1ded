#include "dark_mode.h"

#include <gtest/gtest.h>

namespace tarvela {
namespace {

TEST(Theme, DarkModeByWindowsBuild) {
    EXPECT_EQ(dark_mode_permission_for(6, 9600), DarkModePermission::none);
    EXPECT_EQ(dark_mode_permission_for(10, 17134), DarkModePermission::none);
    EXPECT_EQ(dark_mode_permission_for(10, 17763), DarkModePermission::allow_dark_mode_for_app);
    EXPECT_EQ(dark_mode_permission_for(10, 18361), DarkModePermission::allow_dark_mode_for_app);
    EXPECT_EQ(dark_mode_permission_for(10, 18362), DarkModePermission::set_preferred_app_mode);
    EXPECT_EQ(dark_mode_permission_for(10, 22631), DarkModePermission::set_preferred_app_mode);

    EXPECT_EQ(dark_caption_for(6, 9600), DarkCaption::none);
    EXPECT_EQ(dark_caption_for(10, 17762), DarkCaption::window_property);
    EXPECT_EQ(dark_caption_for(10, 17763), DarkCaption::dwm_attribute_19);
    EXPECT_EQ(dark_caption_for(10, 18985), DarkCaption::dwm_attribute_19);
    EXPECT_EQ(dark_caption_for(10, 18986), DarkCaption::dwm_attribute_20);
}

}  // namespace
}  // namespace tarvela
