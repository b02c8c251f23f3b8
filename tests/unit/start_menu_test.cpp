#include <gtest/gtest.h>

#include "core/start_menu.h"

namespace {

MenuChoice freshChoice() {
    return MenuChoice{1440, 900, false, false, false};
}

} // namespace

TEST(StartMenu, ResolutionButtonsChooseTheirSizeAndTheLastClickWins) {
    MenuChoice choice = freshChoice();
    applyMenuClick(choice, 90, 70);
    EXPECT_EQ(1280, choice.screenWidth);
    EXPECT_EQ(800, choice.screenHeight);
    applyMenuClick(choice, 540, 70); // Fullscreen
    EXPECT_TRUE(choice.fullScreen);
    applyMenuClick(choice, 390, 70);
    EXPECT_FALSE(choice.fullScreen);
    EXPECT_EQ(1680, choice.screenWidth);
    EXPECT_EQ(1050, choice.screenHeight);
    EXPECT_FALSE(choice.finished);
    applyMenuClick(choice, 240, 70);
    EXPECT_EQ(1440, choice.screenWidth);
    EXPECT_EQ(900, choice.screenHeight);
}

TEST(StartMenu, HitAreasAreTheButtonsInsidesBordersExcluded) {
    EXPECT_EQ(nullptr, menuButtonAt(50, 70));  // left column of the first button
    EXPECT_EQ(nullptr, menuButtonAt(90, 50));  // its top row
    EXPECT_EQ(nullptr, menuButtonAt(130, 70)); // just right of it
    EXPECT_EQ(nullptr, menuButtonAt(90, 90));
    ASSERT_NE(nullptr, menuButtonAt(51, 51));
    EXPECT_STREQ("1280x800", menuButtonAt(129, 89)->caption);
    EXPECT_EQ(nullptr, menuButtonAt(300, 100)); // between the rows
}

TEST(StartMenu, NewAndLoadWorldEndTheMenuOnTheirWholeButtons) {
    MenuChoice choice = freshChoice();
    applyMenuClick(choice, 255, 180);
    EXPECT_TRUE(choice.finished);
    EXPECT_FALSE(choice.loadRequested);

    for (int x : {341, 380, 415, 419}) {
        MenuChoice load = freshChoice();
        applyMenuClick(load, x, 180);
        EXPECT_TRUE(load.finished) << x;
        EXPECT_TRUE(load.loadRequested) << x;
    }
    MenuChoice outside = freshChoice();
    applyMenuClick(outside, 420, 180);
    applyMenuClick(outside, 380, 200);
    EXPECT_FALSE(outside.finished);
    EXPECT_EQ(1440, outside.screenWidth);
}
