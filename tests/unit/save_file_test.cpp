#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "actors/enemy.h"
#include "broken_saves.h"
#include "save_world.h"
#include "test_rows.h"
#include "world/actor_box.h"

namespace {

// What a load must leave as this run has it (the display size, a held key and the load flags)
// and what it takes from the save (a stock, the selection and the jump flag).
struct PlayerFields {
    int32_t screenWidth, screenHeight;
    uint8_t rightKey, loadFailed, loadRequested;
    int32_t goldCount, selectedBlock;
    uint8_t canJump;
};

void setFields(Player& player, const PlayerFields& fields) {
    player.screenWidth = fields.screenWidth;
    player.screenHeight = fields.screenHeight;
    player.keys[keyRight] = fields.rightKey;
    player.loadFailed = fields.loadFailed;
    player.loadRequested = fields.loadRequested;
    player.goldCount = fields.goldCount;
    player.selectedBlock = fields.selectedBlock;
    player.canJump = fields.canJump;
}

} // namespace

// The one test that reads the file at the format's own byte positions, written out by hand, so
// that world/save_layout.h is checked against them; every other test goes through its names.
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
    ASSERT_TRUE(place(10, 122));
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
    expectConsistent();

    EXPECT_TRUE(encoded() == first);
    ASSERT_TRUE(save());
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == first);
}

// ---- A save encoded and checked piece by piece ----

// Pieces of a generated and of an edited world join into encodeSave's bytes; the piece check
// takes every good save and refuses every broken one in the whole check's words. The sizes cut
// the file each its own way: every byte alone; 257 bytes, which cut the header and then each
// record at every place in turn; the saver's 256 KB; the whole file.
TEST_F(SaveWorld, PiecesOfAnySizeMakeTheWholeSaveAndAreCheckedAsIt) {
    const size_t pieceSizes[] = {1, 257, 256 * 1024, SAVE_FILE_SIZE};
    std::vector<SaveBytes> files; // the broken saves, then the generated and the edited world
    for (const BrokenSave& broken : brokenSaves()) {
        applyBrokenSave(broken, files.emplace_back(encoded()));
    }
    for (const bool edit : {false, true}) {
        ASSERT_TRUE(!edit || (mine(10, 121) && mine(10, 122) && place(10, 121)));
        SavedCells cells;
        snapshotCells(*test.world, cells);
        files.push_back(encoded());
        for (const size_t size : pieceSizes) {
            SaveBytes joined(SAVE_FILE_SIZE, 0xAA); // every byte must be written
            for (size_t at = 0; at < SAVE_FILE_SIZE; at += size) {
                encodeSavePiece(cells, player, test.blockTypes, at,
                                std::min(size, SAVE_FILE_SIZE - at), &joined[at]);
            }
            EXPECT_TRUE(joined == files.back()) << "edited " << edit << ", pieces of " << size;
        }
    }
    for (const SaveBytes& bytes : files) {
        std::string whole;
        const bool good = validateSave(bytes, test.blockTypes, whole);
        for (const size_t size : pieceSizes) {
            SavePieceCheck check;
            std::string problem;
            size_t at = 0;
            while (at < bytes.size() &&
                   checkSavePiece(check, &bytes[at], std::min(size, bytes.size() - at),
                                  test.blockTypes, problem)) {
                at += size;
            }
            EXPECT_EQ(good, at >= bytes.size() && finishSavePieceCheck(check, problem));
            EXPECT_EQ(whole, problem) << "file " << &bytes - files.data() << ", pieces of " << size;
        }
    }
}

// ---- Saving and loading ----

TEST_F(SaveWorld, ALoadTakesOnlyTheGameState) {
    setFields(player, {1280, 800, 1, 1, 1, 7, 4, 0}); // saved by another run, with a key held
    ASSERT_TRUE(save());

    setFields(player, {1440, 900, 0, 0, 0, 0, 1, 1});
    const Player now = player;
    ASSERT_TRUE(load());
    EXPECT_EQ(1440, player.screenWidth);
    EXPECT_EQ(900, player.screenHeight);
    EXPECT_EQ(0, player.keys[keyRight]);
    EXPECT_EQ(0, player.loadFailed);
    EXPECT_EQ(0, player.loadRequested);
    EXPECT_EQ(7, player.goldCount);
    EXPECT_EQ(4, player.selectedBlock);
    EXPECT_EQ(0, player.canJump);
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

// A load in play puts its segments in a batch per tick while nothing moves; even the most a
// world can hold, a checkerboard of open faces below the grass, ends with one per open face.
TEST_F(SaveWorld, ACheckerboardLoadedInPlayEndsWithOneSegmentPerOpenFace) {
    clearWorldSegments(*test.world, test.space);
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 122; row < WORLD_ROWS - 1; ++row) {
            test.setCell(column, row, (column + row) % 2 == 0 ? BLOCK_STONE : BLOCK_AIR);
        }
    }
    buildWorldSegments(*test.world, test.space);
    ASSERT_TRUE(save());
    test.fillCells(0, WORLD_COLUMNS - 1, 122, WORLD_ROWS - 2, BLOCK_DIRT); // its segments go
    ASSERT_TRUE(createSaver(test.game.saver));
    startSaver(test.game);
    const cpVect standing = cpBodyGetPosition(player.body);
    int ticks = 0;
    const std::string said = printedBy([&] {
        requestSaveAction(test.game, LOAD_ACTION);
        while (loadOnItsWay(test.game) && !loadGoingIn(test.game)) {
            advanceClicks(test.game); // takes the Load once the saver has read it
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (; loadGoingIn(test.game); ++ticks) {
            tickGame(test.game);
            ASSERT_TRUE(cpveql(standing, cpBodyGetPosition(player.body))) << "tick " << ticks;
        }
    });
    stopSaverThread(test.game.saver);
    EXPECT_GT(ticks, 1);
    EXPECT_EQ("Loaded the world!\n", said);
    expectConsistent();
}

// Every kind of broken save, first alone: refused with one line and nothing changed; then with
// a good backup beside it: the backup is loaded and the refused save kept aside, never
// overwriting an earlier one.
TEST_F(SaveWorld, BrokenSavesAreRefusedAndAGoodBackupStandsIn) {
    const SaveBytes good = encoded();
    SaveBytes backup = good;
    putBytes(backup, HEADER_SELECTED, bytesOf<int32_t>(3)); // Stone: told apart from the save
    struct Refused {
        BrokenSave broken;
        mode_t kind; // of what is at the save's name: a broken save, or not a file at all
        const char* notHere = nullptr; // why the case cannot apply on this platform (test_rows.h)
    };
    std::vector<Refused> cases;
    for (const BrokenSave& broken : brokenSaves()) {
        cases.push_back({broken, S_IFREG});
    }
    cases.push_back({{"a FIFO, which must not block", {}, 0, "is not a regular file"},
                     S_IFIFO,
                     NOT_ON_WINDOWS("Windows has no FIFOs")});
    cases.push_back({{"a directory", {}, 0, "is not a regular file"}, S_IFDIR});
    const std::string saveFile = directory.file(SAVE_FILE_NAME);
    const std::string backupFile = saveFile + SAVE_BACKUP_SUFFIX;
    const std::string aside = saveFile + SAVE_DAMAGED_SUFFIX;
    std::vector<SaveBytes> refused; // every save set aside, the newest last
    for (const auto& [spoiled, kind, notHere] : cases) {
        if (!rowRunsHere(spoiled.name, notHere)) {
            continue;
        }
        SCOPED_TRACE(spoiled.name);
        SaveBytes bytes;
        const bool spoilt = kind == S_IFREG;
        // A save read whole and refused is set aside; what cannot be read at all stays.
        const std::string kept =
            spoilt ? "kept the refused save as " + aside : std::string("left the save as it is");
        const auto plant = [&] {
            if (spoilt) {
                bytes = good;
                applyBrokenSave(spoiled, bytes);
                directory.write(SAVE_FILE_NAME, bytes);
                refused.push_back(bytes);
            } else if (!std::filesystem::exists(std::filesystem::symlink_status(saveFile))) {
                const bool planted = kind == S_IFDIR ? std::filesystem::create_directory(saveFile)
                                                     : makeFifo(saveFile);
                ASSERT_TRUE(planted);
            }
        };
        plant();
        std::filesystem::remove(backupFile);
        const GameSnapshot before = snapshot();
        player.loadFailed = 0;
        bool loaded = true;
        std::string said = loadOutput(loaded);
        EXPECT_FALSE(loaded);
        EXPECT_EQ(1, player.loadFailed);
        EXPECT_EQ(0u, said.find("Cannot load the save: ")) << said;
        EXPECT_NE(std::string::npos, said.find(spoiled.said)) << said;
        EXPECT_EQ("; " + kept + "\n",
                  said.substr(said.size() - std::min(said.size(), kept.size() + 3)))
            << said;
        expectUnchanged(before);
        EXPECT_TRUE(!spoilt || directory.read(aside.substr(directory.path.size() + 1)) == bytes);

        plant();
        directory.write(std::string(SAVE_FILE_NAME) + SAVE_BACKUP_SUFFIX, backup);
        player.loadFailed = 0;
        said = loadOutput(loaded);
        EXPECT_TRUE(loaded);
        EXPECT_EQ(0, player.loadFailed);
        EXPECT_EQ(3, player.selectedBlock);
        player.selectedBlock = 1;
        EXPECT_EQ(0u, said.find("Cannot load the save: ")) << said;
        EXPECT_NE(std::string::npos, said.find(spoiled.said)) << said;
        const std::string tail =
            "; loaded the backup " + backupFile + " instead and " + kept + "\nLoaded the world!\n";
        EXPECT_EQ(tail, said.substr(said.size() - std::min(said.size(), tail.size()))) << said;
        EXPECT_EQ(!spoilt, std::filesystem::exists(std::filesystem::symlink_status(saveFile)));
        EXPECT_TRUE(directory.read(std::string(SAVE_FILE_NAME) + SAVE_BACKUP_SUFFIX) == backup);
        std::filesystem::remove(saveFile);
    }
    // The newest refused save is ".damaged", the older ones ".damaged.2" to ".5"; older still
    // are gone.
    for (size_t number = 1; number <= MAX_DAMAGED_KEPT + 1; ++number) {
        const std::string name = aside + (number > 1 ? "." + std::to_string(number) : "");
        const bool kept = number <= MAX_DAMAGED_KEPT;
        ASSERT_EQ(kept, std::filesystem::exists(name)) << name;
        EXPECT_TRUE(!kept || directory.read(name.substr(directory.path.size() + 1)) ==
                                 refused[refused.size() - number])
            << name;
    }
}

TEST_F(SaveWorld, TheBytesAfterANamesTerminatorMeanNothing) {
    SaveBytes bytes = encoded();
    putBytes(bytes, cellAtOffset(7, 121) + CELL_NAME, {'G', 'r', 'a', 's', 's', 0, 'z', 'z'});
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

// The save this run wrote, spoilt on the disk behind its back with its size and time kept, is
// read and refused before it can become the backup: the good backup stays.
TEST_F(SaveWorld, ANewSaveKeepsThePreviousOneAsBackupOnlyIfItIsGoodStill) {
    ASSERT_TRUE(save());
    const std::vector<uint8_t> first = directory.read(SAVE_FILE_NAME);
    ASSERT_TRUE(mine(10, 121));
    ASSERT_TRUE(save());
    std::vector<uint8_t> second = directory.read(SAVE_FILE_NAME);
    EXPECT_FALSE(first == second);
    EXPECT_TRUE(directory.read(std::string(SAVE_FILE_NAME) + SAVE_BACKUP_SUFFIX) == first);
    EXPECT_FALSE(std::filesystem::exists(directory.file("TellurnSave.wld.tmp")));

    const auto written = std::filesystem::last_write_time(directory.file(SAVE_FILE_NAME));
    second[cellAtOffset(4, 4) + CELL_ID] = 9;
    directory.write(SAVE_FILE_NAME, second);
    std::filesystem::last_write_time(directory.file(SAVE_FILE_NAME), written);
    bool saved = false;
    EXPECT_EQ(0u, savedOutput(saved).find("Saved, but the previous save was refused (cell (4, 4) "
                                          "has block id 9"));
    EXPECT_TRUE(directory.read(std::string(SAVE_FILE_NAME) + SAVE_BACKUP_SUFFIX) == first);
    EXPECT_TRUE(directory.read(std::string(SAVE_FILE_NAME) + SAVE_DAMAGED_SUFFIX) == second);
}

// What a crash or another program may leave at the temporary file's name: a leftover is
// replaced, a link is never written through, and what cannot be removed stays, the save going
// by way of another name.
TEST_F(SaveWorld, NothingAtTheTemporaryNameIsWrittenThrough) {
    ASSERT_TRUE(save());
    const std::vector<uint8_t> old = directory.read(SAVE_FILE_NAME);
    ASSERT_TRUE(mine(10, 121));
    const std::string temporary = directory.file("TellurnSave.wld.tmp");
    bool saved = false;
    if (rowRunsHere("a link at the temporary name",
                    NOT_ON_WINDOWS("a Windows program may make links only with a privilege"))) {
        const std::vector<uint8_t> elsewhere = {1, 2, 3};
        directory.write("elsewhere", elsewhere);
        std::filesystem::create_symlink(directory.file("elsewhere"), temporary);
        EXPECT_EQ("Saved the world!\n", savedOutput(saved));
        EXPECT_TRUE(directory.read("elsewhere") == elsewhere);
        EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == encoded());
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temporary)));
    }

    // Root may remove anything, so block the way with a directory where the file must go: it
    // stays, and the save goes by way of the next temporary name.
    std::filesystem::create_directories(temporary + "/inside");
    const std::vector<uint8_t> now = directory.read(SAVE_FILE_NAME);
    ASSERT_TRUE(mine(11, 121));
    EXPECT_EQ("Saved, but a directory stands at " + temporary + "; the new save went by way of " +
                  temporary + ".2\nSaved the world!\n",
              savedOutput(saved));
    EXPECT_TRUE(directory.read(SAVE_FILE_NAME) == encoded());
    EXPECT_TRUE(directory.read("TellurnSave.wld.bak") == now);
    EXPECT_TRUE(std::filesystem::exists(temporary + "/inside"));

    // A whole save that a save cut short left at the second name is one Load looks at.
    ASSERT_TRUE(mine(12, 121));
    directory.write("TellurnSave.wld.tmp.2", encoded());
    const auto save = directory.file(SAVE_FILE_NAME);
    std::filesystem::last_write_time(save, std::filesystem::last_write_time(save) -
                                               std::chrono::hours(1));
    bool loaded = false;
    EXPECT_EQ(0u, loadOutput(loaded).find("the whole save an unfinished save left at " + temporary +
                                          ".2 is newer than the save"));
}

TEST_F(SaveWorld, ASaveIntoNoDirectoryFails) {
    directory.write("plain", {1, 2, 3});
    for (const std::string& place : {directory.file("plain"), directory.file("missing")}) {
        bool saved = true;
        test.game.saver.own.folder.directory = place;
        const std::string said = printedBy([&] { saved = saveWorld(test.game); });
        EXPECT_FALSE(saved);
        EXPECT_EQ(0u, said.find("Save failed: cannot create " + place)) << said;
        EXPECT_EQ(1, std::count(said.begin(), said.end(), '\n')) << said;
    }
    EXPECT_TRUE(directory.read("plain") == std::vector<uint8_t>({1, 2, 3}));
}

// A box pressed into a wall sinks into it for a while (Chipmunk's contacts overlap before they
// push apart), deepest when the enemies pile on. Every place the player reaches so must pass the
// save's check, or the player could not save there; and a save that says the player is pressed
// in as far as the check takes loads with the player inside the world, who can save again.
TEST_F(SaveWorld, ThePlayerPressedIntoAnyWallCanSaveAndLoad) {
    const struct {
        const char* wall;
        int column;        // of a one-block shaft from the top of the world, the player at its top
        int key;           // held toward the wall
        cpVect savedAt[2]; // the player's place in a save of the generated world
    } walls[] = {
        {"left", 0, ALLEGRO_KEY_LEFT, {{-5.0, 1190.0}, {-4.9, 1190.0}}},
        {"right", WORLD_COLUMNS - 1, ALLEGRO_KEY_RIGHT, {{7195.0, 1190.0}, {7194.9, 1190.0}}},
        {"top", 360, 0, {{3600.0, -10.0}, {3600.0, -9.9}}},
    };
    for (const auto& wall : walls) {
        SCOPED_TRACE(wall.wall);
        TestGame room;
        room.fillCells(0, WORLD_COLUMNS - 1, 0, 60, BLOCK_STONE);
        room.fillCells(wall.column, wall.column, 0, 55, BLOCK_AIR);
        Player& pressed = room.player;
        cpBodySetPosition(pressed.body, cpv(wall.column * BLOCK_SIZE + 5, 10));
        spawnEnemiesHere(room.game, nullptr);
        for (int i = 0; i < ENEMY_COUNT; ++i) { // stacked in the shaft under the player
            cpBodySetPosition(room.enemies[i].body, cpv(wall.column * BLOCK_SIZE + 5, 40 + 21 * i));
        }
        if (wall.key != 0) {
            pressed.keys[wall.key] = 1;
        }
        float sunk = 0;
        uint8_t header[SAVE_HEADER_SIZE];
        for (int tick = 0; tick < 60 * 60; ++tick) {
            pressed.keys[keyUp] = tick % 30 < 3;
            tickGame(room.game);
            sunk = std::max({sunk, -pressed.x, pressed.x + ACTOR_WIDTH - WORLD_WIDTH, -pressed.y});
            encodeSaveHeader(pressed, header);
            std::string problem;
            ASSERT_TRUE(validateSaveHeader(header, problem))
                << "at tick " << tick << ": " << problem;
        }
        EXPECT_GT(sunk, 0.0f) << "the player never pressed into the wall";
        std::printf("the player sank %.2f px into the %s wall\n", sunk, wall.wall);
        for (const cpVect& saved : wall.savedAt) {
            SaveBytes bytes = encoded();
            putBytes(bytes, HEADER_X, bytesOf(static_cast<float>(saved.x)));
            putBytes(bytes, HEADER_Y, bytesOf(static_cast<float>(saved.y)));
            directory.write(SAVE_FILE_NAME, bytes);
            ASSERT_TRUE(load());
            for (int tick = 0; tick < 60; ++tick) {
                tickGame(test.game);
            }
            EXPECT_TRUE(actorBoxFree(*test.world, player.x, player.y)) // inside, up to the slop
                << "saved at " << saved.x << ", " << saved.y << ", now at " << player.x << ", "
                << player.y;
            EXPECT_TRUE(save());
        }
    }
}
