#include <gtest/gtest.h>

#include <allegro5/allegro.h>
#include <filesystem>
#include <string>

#include "actors/enemy.h"
#include "actors/view.h"
#include "core/mouse_press.h"
#include "input_events.h"
#include "player_in_world.h"
#include "printed_by.h"
#include "temp_directory.h"
#include "world/save_file.h"

namespace {

constexpr unsigned RIGHT_BUTTON = 2;

// A generated world, the player on it, and a save directory of the test's own.
struct MouseWorld : PlayerInWorld {
    TempDirectory directory;

    MouseWorld() : PlayerInWorld(31337) { test.game.saver.own.folder.directory = directory.path; }

    // Presses a button at a display pixel and returns what the press printed.
    std::string press(int mx, int my, unsigned button = MINING_BUTTON) {
        return printedBy([&] { handleMouseDown(mouseDownEvent(mx, my, button), test.game); });
    }
};

} // namespace

TEST_F(MouseWorld, OnlyPressesInsideTheDrawnButtonsSaveOrLoad) {
    const int w = player.screenWidth;
    const struct {
        int x, y;
        const char* said;
    } presses[] = {
        {w - 100, 0, "Saved the world!\n"},
        {w - 61, 24, "Saved the world!\n"},
        {w - 101, 10, ""},
        {w - 60, 10, ""}, // the gap belongs to the world
        {w - 50, 10, ""},
        {w - 41, 10, ""},
        {w - 40, 10, "No save found\n"},
        {w - 39, 10, "No save found\n"},
        {w - 1, 24, "No save found\n"},
        {w - 50, 25, ""},
        {w - 20, 25, ""},
        {w - 80, 25, ""},
    };
    for (const auto& p : presses) {
        std::filesystem::remove(directory.file(SAVE_FILE_NAME));
        EXPECT_EQ(p.said, press(p.x, p.y)) << "press at (" << p.x << ", " << p.y << ")";
    }
    EXPECT_EQ("", press(w - 80, 10, RIGHT_BUTTON)); // only the left button works them
    EXPECT_EQ("", press(w - 20, 10, 3));
}

TEST_F(MouseWorld, AButtonPressWorksTheButtonAndMinesNothingUnderIt) {
    // The top-right corner of the world, with a row of dirt under the HUD buttons.
    test.fillCells(700, 719, 1, 1, BLOCK_DIRT);
    standAt(7150.0f, 0.0f);
    const int w = player.screenWidth;
    ASSERT_EQ("Saved the world!\n", press(w - 80, 10)); // over cell (712, 1)
    EXPECT_EQ(BLOCK_DIRT, cell(712, 1).id);
    const int dirt = player.dirtCount;

    EXPECT_EQ("", press(w - 50, 10)); // the gap: cell (715, 1) is mined
    EXPECT_EQ(BLOCK_AIR, cell(715, 1).id);
    EXPECT_EQ(dirt + 1, player.dirtCount);

    EXPECT_EQ("Loaded the world!\n", press(w - 20, 10)); // over cell (718, 1)
    EXPECT_EQ(BLOCK_DIRT, cell(715, 1).id);              // back as saved
    EXPECT_EQ(BLOCK_DIRT, cell(718, 1).id);
    EXPECT_EQ(dirt, player.dirtCount);
    expectConsistent();
}

TEST_F(MouseWorld, LoadingAWorldOverEnemiesLiftsThemOutOfItsRock) {
    Enemy(&enemies)[ENEMY_COUNT] = test.enemies;
    enemies[0].x = 3015.0f;
    spawnEnemy(enemies[0], player, test.space, nullptr); // enemies[1] has not spawned yet
    const int w = player.screenWidth;
    ASSERT_EQ("Saved the world!\n", press(w - 80, 10));
    test.fillCells(300, 302, 119, 125, BLOCK_AIR);           // a pit dug after the save
    cpBodySetPosition(enemies[0].body, cpv(3015.0, 1240.0)); // an enemy down in it
    ASSERT_EQ("Loaded the world!\n", press(w - 20, 10));
    EXPECT_EQ(cpv(3015.0, 1200.0), cpBodyGetPosition(enemies[0].body)); // on the grass again
    EXPECT_EQ(1190.0f, enemies[0].y);
    EXPECT_EQ(nullptr, enemies[1].body);
}

TEST_F(MouseWorld, ThePointerPicksTheCellDrawnUnderItInEveryViewCase) {
    test.fillCells(0, WORLD_COLUMNS - 1, 0, WORLD_ROWS - 1, BLOCK_AIR);
    const int sizes[][2] = {{1440, 900}, {1680, 1050}, {1366, 767}};
    const float xs[] = {100.0f, 3000.5f, 7150.0f}; // left edge, following, right edge
    const float ys[] = {100.0f, 1190.3f, 4700.6f}; // top edge, following, bottom edge
    for (const auto& size : sizes) {
        player.screenWidth = size[0];
        player.screenHeight = size[1];
        for (float x : xs) {
            for (float y : ys) {
                standAt(x, y);
                const View view = computeView(x, y, size[0], size[1]);
                const int column = static_cast<int>(x) / 10 + 2; // in reach to the lower right
                const int row = static_cast<int>(y) / 10 + 1;
                for (int corner = 0; corner < 4; ++corner) {
                    const int mx = viewScreenX(view, column * 10) + (corner % 2) * 9;
                    const int my = viewScreenY(view, row * 10) + (corner / 2) * 9;
                    SCOPED_TRACE(testing::Message()
                                 << size[0] << "x" << size[1] << " at (" << x << ", " << y
                                 << "), pixel (" << mx << ", " << my << ")");
                    player.selectedBlock = 1;
                    player.dirtCount = 1;
                    press(mx, my, RIGHT_BUTTON); // places Dirt in the cell under the pointer
                    ASSERT_EQ(BLOCK_DIRT, cell(column, row).id);
                    ASSERT_EQ(0, player.dirtCount);
                    press(mx, my); // and mines it again
                    ASSERT_TRUE(cell(column, row).passable);
                    ASSERT_EQ(1, player.dirtCount);
                }
            }
        }
    }
}

TEST_F(MouseWorld, APressWhoseCellLiesOffTheGridIsIgnored) {
    const int w = player.screenWidth;
    const int h = player.screenHeight;
    const int dirt = player.dirtCount;
    // At the left and top edges a pixel left of or above the display lies off the world; at the
    // right and bottom edges one right of or below it does.
    const struct {
        float x, y;
        int mx, my;
    } presses[] = {
        {30, 100, -3, 500}, {30, 100, 500, -3}, {7150, 4700, w + 5, 300}, {7150, 4700, 300, h + 5}};
    for (const auto& p : presses) {
        standAt(p.x, p.y);
        for (unsigned button : {MINING_BUTTON, RIGHT_BUTTON}) {
            EXPECT_EQ("", press(p.mx, p.my, button));
        }
    }
    EXPECT_EQ(dirt, player.dirtCount);
    expectConsistent();
}
