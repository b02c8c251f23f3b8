#include <gtest/gtest.h>

#include <cstring>

#include "input_events.h"
#include "presentation/keyboard.h"

TEST(Keyboard, LettersAndArrowsShareOneFlagAndEitherReleaseClearsIt) {
    const int pairs[][3] = {{ALLEGRO_KEY_W, ALLEGRO_KEY_UP, keyUp},
                            {ALLEGRO_KEY_S, ALLEGRO_KEY_DOWN, keyDown},
                            {ALLEGRO_KEY_A, ALLEGRO_KEY_LEFT, keyLeft},
                            {ALLEGRO_KEY_D, ALLEGRO_KEY_RIGHT, keyRight}};
    for (const auto& pair : pairs) {
        Player player{};
        pressKey(player, pair[0]);
        pressKey(player, pair[1]);
        EXPECT_EQ(1, player.keys[pair[2]]);
        EXPECT_EQ(0, player.keys[pair[0]]) << "a letter sets its arrow's flag, not its own";
        releaseKey(player, pair[0]);
        EXPECT_EQ(0, player.keys[pair[2]]) << "no count of held keys";
        pressKey(player, pair[0]);
        releaseKey(player, pair[1]);
        EXPECT_EQ(0, player.keys[pair[2]]);
    }
}

TEST(Keyboard, NumberKeysSelectOnPressOnly) {
    Player player{};
    player.selectedBlock = 1;
    pressKey(player, ALLEGRO_KEY_3);
    EXPECT_EQ(3, player.selectedBlock);
    releaseKey(player, ALLEGRO_KEY_2);
    EXPECT_EQ(3, player.selectedBlock);
    pressKey(player, ALLEGRO_KEY_4);
    releaseKey(player, ALLEGRO_KEY_4);
    EXPECT_EQ(4, player.selectedBlock);
    pressKey(player, ALLEGRO_KEY_PAD_1); // the numeric pad does not select
    EXPECT_EQ(4, player.selectedBlock);
}

TEST(Keyboard, OtherKeysAndEventTypesChangeNothing) {
    Player player{};
    player.selectedBlock = 2;
    const Player before = player;
    pressKey(player, ALLEGRO_KEY_SPACE);
    pressKey(player, 0);
    pressKey(player, ALLEGRO_KEY_MAX - 1);
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_CHAR, ALLEGRO_KEY_LEFT), player);
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_MOUSE_AXES, ALLEGRO_KEY_1), player);
    EXPECT_EQ(0, std::memcmp(&before, &player, sizeof player));
}

TEST(Keyboard, LosingTheKeyboardReleasesEveryHeldKeyAndKeepsTheSelection) {
    Player player{};
    for (int keycode :
         {ALLEGRO_KEY_A, ALLEGRO_KEY_RIGHT, ALLEGRO_KEY_W, ALLEGRO_KEY_DOWN, ALLEGRO_KEY_3}) {
        pressKey(player, keycode);
    }
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_DISPLAY_SWITCH_OUT, 0), player);
    for (int flag : {keyLeft, keyRight, keyUp, keyDown}) {
        EXPECT_EQ(0, player.keys[flag]) << "flag " << flag;
    }
    EXPECT_EQ(3, player.selectedBlock);
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_DISPLAY_SWITCH_IN, 0), player);
    EXPECT_EQ(0, player.keys[keyLeft]) << "getting the keyboard back presses nothing";
}
