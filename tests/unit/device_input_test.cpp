// Bad input from the devices: key codes and mouse buttons the game does not use, and presses
// along the very edges and corners of the display at every size, with the player at the
// world's edges and corners. Nothing may be read outside the grid (cellAt would abort), the
// stock never goes negative, and the segments keep following the grid.
#include <gtest/gtest.h>

#include <allegro5/allegro.h>
#include <climits>
#include <string>
#include <vector>

#include "core/mouse_press.h"
#include "input_events.h"
#include "player_in_world.h"
#include "presentation/hud_layout.h"
#include "presentation/keyboard.h"

namespace {

// The menu's sizes, common full-screen sizes, and sizes that are no multiple of a block.
const int DISPLAY_SIZES[][2] = {{1280, 800},  {1440, 900}, {1680, 1050}, {1366, 768},
                                {1920, 1080}, {1600, 900}, {1366, 767},  {1921, 1081}};
// Player places at the world's edges and corners, up to the block outside it that a save allows.
const float PLACES_X[] = {-10.0f, 0.0f, 3600.0f, 7190.0f, 7200.0f};
const float PLACES_Y[] = {-10.0f, 0.0f, 2400.5f, 4780.0f, 4790.0f};
const unsigned ODD_BUTTONS[] = {0, 3, 4, 5, 8, 16, 32, 255, UINT_MAX};
const int EXTREME_PIXELS[] = {INT_MIN, -100000, -1, 100000, INT_MAX};

struct DeviceInput : PlayerInWorld {
    // No such directory: a stray press on Save or Load can write nowhere.
    const std::string saveDirectory = "/nonexistent/tellurn-device-test";

    DeviceInput() : PlayerInWorld(777) {
        player.dirtCount = player.grassCount = player.stoneCount = player.goldCount = 100000;
        test.game.saver.own.folder.directory = saveDirectory;
    }

    long presses = 0;

    void press(int mx, int my, unsigned button) {
        ++presses;
        handleMouseDown(mouseDownEvent(mx, my, button), test.game);
    }

    // A press on the world: the HUD buttons are left out, each of their presses would save
    // or load the whole world (their edges have tests of their own).
    void pressWorld(int mx, int my, unsigned button) {
        if (button != MINING_BUTTON || hudButtonAt(mx, my, player.screenWidth) == HUD_NO_BUTTON) {
            press(mx, my, button);
        }
    }

    // Every pixel of the display's outermost rows and columns and the ones just outside it.
    void pressAlongTheBorder(int width, int height, unsigned button) {
        for (int y : {-1, 0, height - 1, height}) {
            for (int x = -1; x <= width; ++x) {
                pressWorld(x, y, button);
            }
        }
        for (int x : {-1, 0, width - 1, width}) {
            for (int y = -1; y <= height; ++y) {
                pressWorld(x, y, button);
            }
        }
    }

    void pressAtTheCorners(int width, int height) {
        for (unsigned button : ODD_BUTTONS) {
            for (int x : {0, width - 1}) {
                for (int y : {0, height - 1}) {
                    press(x, y, button);
                }
            }
        }
        for (int x : EXTREME_PIXELS) {
            for (int y : EXTREME_PIXELS) {
                press(x, y, MINING_BUTTON);
                press(x, y, 2);
            }
        }
    }

    void expectSound(const std::string& where) {
        SCOPED_TRACE(where);
        expectConsistent();
        EXPECT_GE(player.dirtCount, 0);
        EXPECT_GE(player.goldCount, 0);
    }
};

} // namespace

TEST_F(DeviceInput, PressesAlongTheEdgesOfEveryDisplayStayInTheGrid) {
    for (const auto& size : DISPLAY_SIZES) {
        player.screenWidth = size[0];
        player.screenHeight = size[1];
        for (float x : PLACES_X) {
            for (float y : PLACES_Y) {
                player.x = x;
                player.y = y;
                for (unsigned button : {MINING_BUTTON, 2u}) {
                    player.selectedBlock = 1 + static_cast<int>(x) % 4;
                    pressAlongTheBorder(size[0], size[1], button);
                }
                pressAtTheCorners(size[0], size[1]);
            }
        }
        expectSound(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    }
    EXPECT_GT(presses, 3000000); // every border pixel of every size, place and button
}

TEST_F(DeviceInput, PressesAtTheWorldsCornersWorkTheCellsThere) {
    // The player in the top-left and bottom-right corners of the world reaches the corner
    // cells, which lie on the display's corners: pressing there mines and places.
    clearWorldSegments(*test.world, test.space);
    for (int column : {0, 1, WORLD_COLUMNS - 2, WORLD_COLUMNS - 1}) {
        for (int row : {0, 1, WORLD_ROWS - 3, WORLD_ROWS - 2}) {
            test.setCell(column, row, BLOCK_AIR);
        }
        test.setCell(column, 0, BLOCK_STONE);
        test.setCell(column, WORLD_ROWS - 2, BLOCK_STONE);
    }
    buildWorldSegments(*test.world, test.space);
    for (const auto& size : DISPLAY_SIZES) {
        player.screenWidth = size[0];
        player.screenHeight = size[1];
        const int w = size[0];
        const int h = size[1];
        player.x = 0.0f;
        player.y = 10.0f;
        press(0, 0, MINING_BUTTON); // cell (0, 0)
        EXPECT_TRUE(cellAt(*test.world, 0, 0).passable) << w << "x" << h;
        player.selectedBlock = 3;
        press(0, 0, 2);
        EXPECT_EQ(BLOCK_STONE, cellAt(*test.world, 0, 0).id) << w << "x" << h;
        // The bottom-right corner of the display shows the bottom-right cell of the world,
        // the NULL row; the one above it, column 719, row 478, is the stone.
        player.x = 7190.0f;
        player.y = 4760.0f;
        press(w - 1, h - 11, MINING_BUTTON);
        EXPECT_TRUE(cellAt(*test.world, WORLD_COLUMNS - 1, WORLD_ROWS - 2).passable)
            << w << "x" << h;
        press(w - 1, h - 11, 2);
        EXPECT_EQ(BLOCK_STONE, cellAt(*test.world, WORLD_COLUMNS - 1, WORLD_ROWS - 2).id)
            << w << "x" << h;
        press(w - 1, h - 1, MINING_BUTTON); // NULL cannot be mined
        EXPECT_EQ(BLOCK_NULL, cellAt(*test.world, WORLD_COLUMNS - 1, WORLD_ROWS - 1).id);
    }
    expectSound("after the corners");
}

TEST_F(DeviceInput, KeysTheGameDoesNotUseChangeNothing) {
    std::vector<int> codes = {INT_MIN, -1000, -1, KEY_COUNT, KEY_COUNT + 1, 1000, INT_MAX};
    for (int code = 0; code < KEY_COUNT; ++code) {
        codes.push_back(code);
    }
    const ALLEGRO_EVENT_TYPE types[] = {ALLEGRO_EVENT_KEY_DOWN,
                                        ALLEGRO_EVENT_KEY_UP,
                                        ALLEGRO_EVENT_KEY_CHAR,
                                        ALLEGRO_EVENT_MOUSE_AXES,
                                        0,
                                        UINT_MAX};
    for (ALLEGRO_EVENT_TYPE type : types) {
        for (int code : codes) {
            handleKeyEvent(keyEvent(type, code), player);
            for (int flag = 0; flag < KEY_COUNT; ++flag) {
                const bool used =
                    flag == keyLeft || flag == keyRight || flag == keyUp || flag == keyDown;
                ASSERT_TRUE(used || player.keys[flag] == 0) << "key flag " << flag;
            }
            ASSERT_GE(player.selectedBlock, 1);
            ASSERT_LE(player.selectedBlock, 4);
        }
    }
    // Held keys at the world's corners: the foot cell lies outside the grid there.
    for (float x : PLACES_X) {
        for (float y : PLACES_Y) {
            player.x = x;
            player.y = y;
            for (int code : {ALLEGRO_KEY_LEFT, ALLEGRO_KEY_RIGHT, ALLEGRO_KEY_UP}) {
                pressKey(player, code);
            }
            updatePlayer(player, *test.world);
        }
    }
}
