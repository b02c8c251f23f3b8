// A generated world, a player on its surface and a directory for the save: the scaffolding
// of the save file's tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/save_game.h"
#include "player_in_world.h"
#include "printed_by.h"
#include "save_bytes.h"
#include "stand_in_images.h"
#include "temp_directory.h"
#include "world/save_file.h"

// Everything a load may change, to show that a rejected file changed none of it.
struct GameSnapshot {
    std::vector<Block> cells;
    Player player;
    cpVect bodyPosition;
};

// A generated world, the player on its surface, and a directory for the save.
struct SaveWorld : PlayerInWorld {
    TempDirectory directory;

    SaveWorld() : PlayerInWorld(2026) {
        bindStandInImages(test.game);
        test.game.saver.own.folder.directory = directory.path;
    }

    bool save() { return saveWorld(test.game); }

    bool load() { return loadWorld(test.game); }

    std::string savedOutput(bool& saved) {
        return printedBy([&] { saved = save(); });
    }

    std::string loadOutput(bool& loaded) {
        return printedBy([&] { loaded = load(); });
    }

    SaveBytes encoded() {
        SaveBytes bytes;
        encodeWorldSave(*test.world, player, test.blockTypes, bytes);
        return bytes;
    }

    GameSnapshot snapshot() {
        return {std::vector<Block>(test.world->cells, test.world->cells + WORLD_CELLS), player,
                cpBodyGetPosition(player.body)};
    }

    void expectUnchanged(const GameSnapshot& before) {
        for (int i = 0; i < WORLD_CELLS; ++i) {
            const Block& now = test.world->cells[i];
            const Block& then = before.cells[i];
            ASSERT_EQ(then.id, now.id) << "cell " << i;
            ASSERT_EQ(then.x, now.x) << "cell " << i;
            ASSERT_EQ(then.y, now.y) << "cell " << i;
            ASSERT_EQ(then.topShape, now.topShape) << "cell " << i;
            ASSERT_EQ(then.leftShape, now.leftShape) << "cell " << i;
        }
        EXPECT_EQ(before.player.x, player.x);
        EXPECT_EQ(before.player.grassCount, player.grassCount);
        EXPECT_EQ(before.player.selectedBlock, player.selectedBlock);
        EXPECT_TRUE(cpveql(before.bodyPosition, cpBodyGetPosition(player.body)));
        expectConsistent();
    }
};
