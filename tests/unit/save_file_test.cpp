#include <gtest/gtest.h>

#include <algorithm>
#include <allegro5/allegro.h>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "temp_directory.h"
#include "test_game.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

// Stand-ins for the six block images: only their identity matters here.
char swatchStorage[BLOCK_SWATCH_COUNT];

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t at) {
    uint32_t value;
    std::memcpy(&value, &bytes[at], 4); // the test machine is little-endian, like the file
    return value;
}

float f32At(const std::vector<uint8_t>& bytes, size_t at) {
    float value;
    std::memcpy(&value, &bytes[at], 4);
    return value;
}

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    std::memcpy(&bytes[at], &value, 4);
}

void putF32(std::vector<uint8_t>& bytes, size_t at, float value) {
    std::memcpy(&bytes[at], &value, 4);
}

size_t cellAtOffset(int column, int row) {
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
    ALLEGRO_MUTEX* stateLock = al_create_mutex();

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
    void TearDown() override { al_destroy_mutex(stateLock); }

    void standAt(float x, float y) {
        cpBodySetPosition(player.body, cpv(x + 5, y + 10));
        copyPlayerPosition(player);
    }

    bool mine(int column, int row) {
        return mineCell(*test.world, test.blockTypes, player, test.space, column, row);
    }

    bool save() { return saveWorld(*test.world, player, directory.path); }

    bool load() {
        return loadWorld(*test.world, player, test.blockTypes, test.space, directory.path,
                         stateLock);
    }

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

} // namespace

TEST_F(SaveWorld, ANewWorldIsSavedFieldByField) {
    player.keys[keyLeft] = 1;
    ASSERT_TRUE(mine(10, 121)); // one Underground cell, whose name has no terminator
    bool saved = false;
    EXPECT_EQ("Saved the world!\n", savedOutput(saved));
    ASSERT_TRUE(saved);
    const std::vector<uint8_t> file = directory.read(SAVE_FILE_NAME);
    ASSERT_EQ(15206704u, file.size());

    EXPECT_EQ(100.0f, f32At(file, 0));
    EXPECT_EQ(1190.0f, f32At(file, 4));
    EXPECT_EQ(1u, u32At(file, 8));  // Dirt
    EXPECT_EQ(1u, u32At(file, 12)); // Grass, just mined
    EXPECT_EQ(1u, u32At(file, 24)); // the bitmap is set: 1, never address bits
    EXPECT_EQ(1u, file[28]);
    EXPECT_EQ(1u, u32At(file, 32));
    EXPECT_EQ(1u, file[36 + keyLeft]);
    EXPECT_EQ(118u, 36u + keyLeft);
    EXPECT_EQ(1440u, u32At(file, 264));
    EXPECT_EQ(900u, u32At(file, 268));
    EXPECT_EQ(1u, u32At(file, 280));
    EXPECT_EQ(1u, u32At(file, 284));
    for (size_t padding : {29, 30, 31, 263, 273, 274, 275}) {
        EXPECT_EQ(0u, file[padding]) << "padding byte " << padding;
    }

    const size_t grass = cellAtOffset(0, 121);
    ASSERT_EQ(5628u, grass);
    EXPECT_EQ(0, std::memcmp(&file[grass], "Grass\0\0\0", 8));
    EXPECT_EQ(3u, u32At(file, grass + 8));
    EXPECT_EQ(1u, u32At(file, grass + 12));
    EXPECT_EQ(0u, file[grass + 16]);
    EXPECT_EQ(0u, file[grass + 17] | file[grass + 18] | file[grass + 19]);
    EXPECT_EQ(0.0f, f32At(file, grass + 20));
    EXPECT_EQ(1210.0f, f32At(file, grass + 24));
    EXPECT_EQ(1u, u32At(file, grass + 28)); // its top face
    EXPECT_EQ(0u, u32At(file, grass + 32) | u32At(file, grass + 36) | u32At(file, grass + 40));

    const size_t hole = cellAtOffset(10, 121);
    EXPECT_EQ(0, std::memcmp(&file[hole], "Undergro", 8));
    EXPECT_EQ(6u, u32At(file, hole + 8));
    EXPECT_EQ(1u, file[hole + 16]);
    EXPECT_EQ(0.0f, f32At(file, hole + 20)); // a mined cell has no place
    EXPECT_EQ(1u, u32At(file, cellAtOffset(10, 122) + 28));
    EXPECT_EQ(0, std::memcmp(&file[cellAtOffset(1, 0)], "Air\0\0\0\0\0", 8));
}

TEST_F(SaveWorld, SaveThenLoadGivesTheSameGridAndTheSameBytes) {
    ASSERT_TRUE(mine(10, 121));
    ASSERT_TRUE(mine(10, 122));
    player.selectedBlock = 2;
    ASSERT_TRUE(placeBlock(*test.world, test.blockTypes, player, test.space, 10, 122));
    ASSERT_TRUE(save());
    const std::vector<uint8_t> first = directory.read(SAVE_FILE_NAME);
    const GameSnapshot saved = snapshot();

    // Dig on and walk away; the load puts all of it back.
    ASSERT_TRUE(mine(11, 121));
    ASSERT_TRUE(mine(9, 121));
    standAt(300.0f, 1000.0f);
    cpBodySetVelocity(player.body, cpv(40, -70));
    bool loaded = false;
    EXPECT_EQ("Loaded the world!\n", loadOutput(loaded));
    ASSERT_TRUE(loaded);

    for (int i = 0; i < WORLD_CELLS; ++i) {
        const Block& cell = test.world->cells[i];
        ASSERT_EQ(saved.cells[i].id, cell.id) << "cell " << i;
        ASSERT_EQ(0, std::memcmp(saved.cells[i].name, cell.name, BLOCK_NAME_SIZE));
        ASSERT_EQ(saved.cells[i].x, cell.x) << "cell " << i;
        ASSERT_EQ(saved.cells[i].y, cell.y) << "cell " << i;
        ASSERT_EQ(test.blockTypes.rows[cell.id].bitmap, cell.bitmap) << "cell " << i;
    }
    EXPECT_EQ(saved.player.grassCount, player.grassCount);
    EXPECT_EQ(saved.player.dirtCount, player.dirtCount);
    EXPECT_EQ(100.0f, player.x);
    EXPECT_EQ(1190.0f, player.y);
    EXPECT_TRUE(cpveql(cpv(105, 1200), cpBodyGetPosition(player.body)));
    EXPECT_TRUE(cpveql(cpvzero, cpBodyGetVelocity(player.body)));
    std::string problem;
    EXPECT_TRUE(worldSegmentsConsistent(*test.world, test.space, problem)) << problem;

    EXPECT_TRUE(encoded() == first);
    ASSERT_TRUE(save());
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == first);
}

TEST_F(SaveWorld, ALoadTakesOnlyTheGameState) {
    player.screenWidth = 1280; // saved by another run at another size, with a key held
    player.screenHeight = 800;
    player.keys[keyRight] = 1;
    player.loadFailed = 1;
    player.loadRequested = 1;
    player.goldCount = 7;
    player.selectedBlock = 4;
    player.canJump = 0;
    player.impulseBase = cpv(0.5, -0.25);
    ASSERT_TRUE(save());

    Player now = player;
    now.screenWidth = 1440;
    now.screenHeight = 900;
    now.keys[keyRight] = 0;
    now.loadFailed = 0;
    now.loadRequested = 0;
    now.goldCount = 0;
    now.selectedBlock = 1;
    now.canJump = 1;
    now.impulseBase = cpvzero;
    player = now;
    ASSERT_TRUE(load());
    EXPECT_EQ(1440, player.screenWidth);
    EXPECT_EQ(900, player.screenHeight);
    EXPECT_EQ(0, player.keys[keyRight]);
    EXPECT_EQ(0, player.loadFailed);
    EXPECT_EQ(0, player.loadRequested);
    EXPECT_EQ(7, player.goldCount);
    EXPECT_EQ(4, player.selectedBlock);
    EXPECT_EQ(0, player.canJump);
    EXPECT_TRUE(cpveql(cpv(0.5, -0.25), player.impulseBase));
    EXPECT_EQ(now.body, player.body);
    EXPECT_EQ(now.bitmap, player.bitmap);
}

TEST_F(SaveWorld, ALoadedWorldHasGroundUnderThePlayer) {
    ASSERT_TRUE(save());
    clearWorldSegments(*test.world, test.space); // as a fresh run has before its load
    ASSERT_TRUE(load());
    for (int tick = 0; tick < 180; ++tick) {
        cpSpaceStep(test.space, TICK_SECONDS);
    }
    copyPlayerPosition(player);
    EXPECT_NEAR(1190.0f, player.y, 1.0f); // standing on row 121, not fallen through
}

TEST_F(SaveWorld, BrokenFilesAreRejectedWithNothingChanged) {
    const SaveBytes good = encoded();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::function<void(SaveBytes&)> spoil;
        const char* said;
    } cases[] = {
        {"empty", [](SaveBytes& b) { b.clear(); }, "0 bytes"},
        {"short", [](SaveBytes& b) { b.pop_back(); }, "15206703 bytes"},
        {"long", [](SaveBytes& b) { b.push_back(0); }, "longer"},
        {"cut inside a record", [](SaveBytes& b) { b.resize(304 + 44 * 1000 + 20); }, "shorter"},
        {"bad id", [](SaveBytes& b) { putU32(b, cellAtOffset(200, 300) + 8, 7); }, "id 7"},
        {"negative id", [](SaveBytes& b) { putU32(b, cellAtOffset(3, 3) + 8, 0xFFFFFFFF); },
         "id -1"},
        {"bad name", [](SaveBytes& b) { b[cellAtOffset(5, 121) + 1] = 'l'; }, "name"},
        {"name of another type",
         [](SaveBytes& b) { std::memcpy(&b[cellAtOffset(5, 200)], "Gold", 5); }, "name"},
        {"bad passable", [](SaveBytes& b) { b[cellAtOffset(5, 10) + 16] = 0; }, "passable"},
        {"misplaced cell", [](SaveBytes& b) { putF32(b, cellAtOffset(5, 10) + 20, 60.0f); },
         "placed"},
        {"NaN cell y", [nan](SaveBytes& b) { putF32(b, cellAtOffset(5, 10) + 24, nan); }, "placed"},
        {"NaN player x", [nan](SaveBytes& b) { putF32(b, 0, nan); }, "x is nan"},
        {"infinite impulse base",
         [](SaveBytes& b) {
             const double infinity = std::numeric_limits<double>::infinity();
             std::memcpy(&b[296], &infinity, 8);
         },
         "impulse base y"},
        {"player far outside", [](SaveBytes& b) { putF32(b, 4, 4811.0f); }, "outside"},
        {"negative count", [](SaveBytes& b) { putU32(b, 12, 0xFFFFFFFF); }, "Grass count is -1"},
        {"selection 0", [](SaveBytes& b) { putU32(b, 32, 0); }, "selected block is 0"},
        {"selection 5", [](SaveBytes& b) { putU32(b, 32, 5); }, "selected block is 5"},
    };
    const GameSnapshot before = snapshot();
    for (const auto& spoiled : cases) {
        SCOPED_TRACE(spoiled.name);
        SaveBytes bytes = good;
        spoiled.spoil(bytes);
        directory.write(SAVE_FILE_NAME, bytes);
        player.loadFailed = 0;
        bool loaded = true;
        const std::string said = loadOutput(loaded);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(1, player.loadFailed);
        EXPECT_EQ(0u, said.find("Cannot load the save: ")) << said;
        EXPECT_NE(std::string::npos, said.find(spoiled.said)) << said;
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
        expectUnchanged(before);
        EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == bytes); // the file is left as it was
    }
}

TEST_F(SaveWorld, TheBytesAfterANamesTerminatorMeanNothing) {
    SaveBytes bytes = encoded();
    std::memcpy(&bytes[cellAtOffset(7, 121)], "Grass\0zz", 8);
    directory.write(SAVE_FILE_NAME, bytes);
    EXPECT_TRUE(load());
}

TEST_F(SaveWorld, NoFileMeansNoSaveFound) {
    const GameSnapshot before = snapshot();
    bool loaded = true;
    EXPECT_EQ("No save found\n", loadOutput(loaded));
    EXPECT_FALSE(loaded);
    EXPECT_EQ(1, player.loadFailed);
    expectUnchanged(before);
}

TEST_F(SaveWorld, AnUnreadableSaveIsReportedAsSuch) {
    std::filesystem::create_directory(directory.file(SAVE_FILE_NAME));
    bool loaded = true;
    const std::string said = loadOutput(loaded);
    EXPECT_FALSE(loaded);
    EXPECT_EQ(1, player.loadFailed);
    EXPECT_EQ(0u, said.find("Cannot load the save: cannot read")) << said;
}

TEST_F(SaveWorld, ANewSaveKeepsThePreviousOneAsBackup) {
    ASSERT_TRUE(save());
    const std::vector<uint8_t> first = directory.read(SAVE_FILE_NAME);
    ASSERT_TRUE(mine(10, 121));
    ASSERT_TRUE(save());
    const std::vector<uint8_t> second = directory.read(SAVE_FILE_NAME);
    EXPECT_FALSE(first == second);
    EXPECT_TRUE(directory.read(std::string(SAVE_FILE_NAME) + SAVE_BACKUP_SUFFIX) == first);
    EXPECT_FALSE(std::filesystem::exists(directory.file("TellurnSave.wld.tmp")));
}

TEST_F(SaveWorld, ASaveThatCannotBeWrittenSaysWhatFailedAndKeepsTheOldFile) {
    ASSERT_TRUE(save());
    const std::vector<uint8_t> old = directory.read(SAVE_FILE_NAME);
    ASSERT_TRUE(mine(10, 121));

    // Root may write anywhere, so block the way with directories where files must go.
    const std::string temporary = directory.file("TellurnSave.wld.tmp");
    std::filesystem::create_directories(temporary + "/inside");
    bool saved = true;
    std::string said = savedOutput(saved);
    EXPECT_FALSE(saved);
    EXPECT_EQ(0u, said.find("Save failed: cannot create")) << said;
    EXPECT_EQ(std::string::npos, said.find("Saved the world!"));
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == old);
    std::filesystem::remove_all(temporary);

    const std::string backup = directory.file("TellurnSave.wld.bak");
    std::filesystem::create_directories(backup + "/inside");
    said = savedOutput(saved);
    EXPECT_FALSE(saved);
    EXPECT_EQ(0u, said.find("Save failed: cannot remove the old backup")) << said;
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == old);
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(SaveWorld, ASaveIntoNoDirectoryFails) {
    directory.write("plain", {1, 2, 3});
    for (const std::string& place : {directory.file("plain"), directory.file("missing")}) {
        bool saved = true;
        testing::internal::CaptureStdout();
        saved = saveWorld(*test.world, player, place);
        const std::string said = testing::internal::GetCapturedStdout();
        EXPECT_FALSE(saved);
        EXPECT_EQ(0u, said.find("Save failed: cannot create " + place)) << said;
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    }
    EXPECT_TRUE(directory.read("plain") == std::vector<uint8_t>({1, 2, 3}));
}
