// A generated world, a player on its surface and a directory for the save: the scaffolding
// of the save file's tests.
#pragma once

#include <gtest/gtest.h>

#include <allegro5/allegro.h>
#include <cstring>
#include <string>
#include <vector>

#include "core/save_game.h"
#include "temp_directory.h"
#include "test_game.h"
#include "world/editing.h"
#include "world/save_file.h"

// Stand-ins for the six block images: only their identity matters here.
inline char swatchStorage[BLOCK_SWATCH_COUNT];

inline uint32_t u32At(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, &bytes[at], 4); // the test machine is little-endian, like the file
    return value;
}

inline float f32At(const std::vector<uint8_t>& bytes, size_t at) {
    float value;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

inline void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    std::memcpy(&bytes[at], &value, 4);
}

inline void putF32(std::vector<uint8_t>& bytes, size_t at, float value) {
    std::memcpy(&bytes[at], &value, 4);
}

inline void putF64(std::vector<uint8_t>& bytes, size_t at, double value) {
    std::memcpy(&bytes[at], &value, 8);
}

inline size_t cellAtOffset(int column, int row) {
    return 304 + (column * 480 + row) * 44;
}

// Everything a load may change, to show that a rejected file changed none of it.
struct GameSnapshot {
    std::vector<Block> cells;
    Player player;
    cpVect bodyPosition;
};

// A generated world, the player on its surface, and a directory for the save.
struct SaveWorld : ::testing::Test {
    TestGame test;
    Player& player = test.player;
    TempDirectory directory;

    void SetUp() override {
        ALLEGRO_BITMAP* swatches[BLOCK_SWATCH_COUNT];
        for (int i = 0; i < BLOCK_SWATCH_COUNT; ++i) {
            swatches[i] = reinterpret_cast<ALLEGRO_BITMAP*>(&swatchStorage[i]);
        }
        bindBlockBitmaps(test.blockTypes, swatches);
        test.generate(2026);
        player.bitmap = swatches[0];
        standAt(100.0f, 1190.0f);
    }

    void standAt(float x, float y) {
        cpBodySetPosition(player.body, cpv(x + 5, y + 10));
        copyPlayerPosition(player);
    }

    bool mine(int column, int row) {
        return mineCell(*test.world, test.blockTypes, player, test.space, column, row);
    }

    bool save() { return saveWorld(test.game, directory.path); }

    bool load() { return loadWorld(test.game, directory.path); }

    std::string savedOutput(bool& saved) {
        testing::internal::CaptureStdout();
        saved = save();
        return testing::internal::GetCapturedStdout();
    }

    std::string loadOutput(bool& loaded) {
        testing::internal::CaptureStdout();
        loaded = load();
        return testing::internal::GetCapturedStdout();
    }

    SaveBytes encoded() {
        SaveBytes bytes;
        encodeSave(*test.world, player, bytes);
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
        std::string problem;
        EXPECT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem)) << problem;
    }
};
