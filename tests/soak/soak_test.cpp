// A long soak without a window: the player, the 25 enemies and the physics ticked as the game
// ticks them, while a scripted player walks, jumps, mines and places through mouse and key
// events and saves and loads through the HUD buttons now and then. The segments must follow
// the grid at every check, nobody may leave the world, a Save click's snapshot kept up to date
// chunk by chunk must hold what a whole copy holds, and memory must stay flat.
//
// TELLURN_SOAK_MINUTES sets the simulated length (default 30 minutes: 108,000 ticks).
#include <gtest/gtest.h>

#include <allegro5/allegro.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "actors/enemy.h"
#include "actors/player.h"
#include "actors/view.h"
#include "base/process.h"
#include "core/mouse_press.h"
#include "input_events.h"
#include "presentation/hud_layout.h"
#include "printed_by.h"
#include "temp_directory.h"
#include "test_game.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

constexpr int TICKS_PER_MINUTE = 60 * 60;
constexpr int DEFAULT_MINUTES = 30;
constexpr int CHECK_EVERY = 1000;
constexpr int PRESS_EVERY = 3;
constexpr int SAVE_EVERY = 3 * TICKS_PER_MINUTE; // a load follows each save half-way to the next
constexpr int WALK_TICKS = 4 * 60;               // the player turns round every few seconds
constexpr long MEMORY_MARGIN_KB = 16 * 1024;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool SANITIZED = true; // a sanitizer's own bookkeeping grows; leaks are its job there
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif
#else
constexpr bool SANITIZED = false;
#endif

int soakTicks() {
    const char* minutes = std::getenv("TELLURN_SOAK_MINUTES");
    const int chosen = minutes != nullptr ? std::atoi(minutes) : DEFAULT_MINUTES;
    return (chosen > 0 ? chosen : DEFAULT_MINUTES) * TICKS_PER_MINUTE;
}

// Resident and peak resident memory of this process, in kB, from /proc/self/status.
struct Memory {
    long residentKb = 0;
    long peakKb = 0;
};

Memory readMemory() {
    Memory memory;
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        std::sscanf(line.c_str(), "VmRSS: %ld kB", &memory.residentKb);
        std::sscanf(line.c_str(), "VmHWM: %ld kB", &memory.peakKb);
    }
    return memory;
}

struct Soak {
    TestGame test;
    Player& player = test.player;
    Enemy (&enemies)[ENEMY_COUNT] = test.enemies;
    TempDirectory directory;
    std::mt19937 random{20261208};
    int walkKey = ALLEGRO_KEY_RIGHT;
    long mined = 0;
    long placed = 0;
    int saves = 0;
    int loads = 0;
    // A Save click's snapshot, kept from press to press as the saver keeps it.
    CellSnapshot kept{};

    Soak() {
        test.generate(1208);
        test.game.saver.own.folder.directory = directory.path;
        spawnEnemiesHere(test.game, nullptr);
        pressKey(player, walkKey);
    }
    void tick() { tickGame(test.game); }

    void turnRound() {
        releaseKey(player, walkKey);
        walkKey = walkKey == ALLEGRO_KEY_RIGHT ? ALLEGRO_KEY_LEFT : ALLEGRO_KEY_RIGHT;
        pressKey(player, walkKey);
    }

    void tapKey(int keycode) {
        pressKey(player, keycode);
        releaseKey(player, keycode);
    }

    // Presses on a cell near the player, where it is drawn: mostly mining, often placing.
    void pressNearPlayer() {
        const int column = static_cast<int>(player.x) / BLOCK_SIZE - 4 + random() % 10;
        const int row = static_cast<int>(player.y) / BLOCK_SIZE - 4 + random() % 11;
        if (!cellInGrid(column, row)) {
            return;
        }
        const View view = playerView(player);
        const int mx = viewScreenX(view, column * BLOCK_SIZE + 5);
        const int my = viewScreenY(view, row * BLOCK_SIZE + 5);
        if (hudButtonAt(mx, my, player.screenWidth) != HUD_NO_BUTTON) {
            return; // the HUD buttons are pressed on purpose below
        }
        const bool mining = random() % 100 < 55;
        if (!mining) {
            tapKey(ALLEGRO_KEY_1 + static_cast<int>(random() % 4));
        }
        const int before = cellAt(*test.world, column, row).id;
        handleMouseDown(mouseDownEvent(mx, my, mining ? MINING_BUTTON : 2 + random() % 2),
                        test.game);
        if (cellAt(*test.world, column, row).id != before) {
            ++(mining ? mined : placed);
            if ((mined + placed) % 8 == 0) {
                expectSnapshotCurrent();
            }
        }
    }

    // Every change an edit or a load makes to what the save holds raises its chunk's version.
    void expectSnapshotCurrent() {
        refreshSnapshot(*test.world, kept);
        SavedCells whole;
        snapshotCells(*test.world, whole);
        for (int i = 0; i < WORLD_CELLS; ++i) {
            const SavedCell& copied = kept.cells[i];
            const SavedCell& now = whole[i];
            ASSERT_TRUE(copied.id == now.id && copied.references == now.references &&
                        copied.place == now.place)
                << "cell " << i << " changed without its chunk's record version";
        }
    }

    // Every save the game writes is one its own Load takes.
    void expectSaveLoads() {
        SaveBytes bytes;
        const SavedFile save =
            readSavedFile(directory.file(SAVE_FILE_NAME), test.blockTypes, bytes);
        ASSERT_EQ(SAVED_WHOLE, save.state) << save.why;
    }

    void pressHudButton(HudButton button) {
        for (const HudButtonPlace& place : HUD_BUTTONS) {
            if (place.button == button) {
                const int mx = player.screenWidth - place.leftFromRight + 5;
                const std::string said = printedBy(
                    [&] { handleMouseDown(mouseDownEvent(mx, 5, MINING_BUTTON), test.game); });
                ASSERT_EQ(button == HUD_SAVE_BUTTON ? "Saved the world!\n" : "Loaded the world!\n",
                          said);
                if (button == HUD_SAVE_BUTTON) {
                    expectSaveLoads();
                }
                expectSnapshotCurrent();
                ++(button == HUD_SAVE_BUTTON ? saves : loads);
            }
        }
    }

    void script(int tick) {
        if (tick % WALK_TICKS == 0) {
            turnRound();
        }
        if (tick % 97 == 0) {
            pressKey(player, ALLEGRO_KEY_UP);
        } else if (tick % 97 == 5) {
            releaseKey(player, ALLEGRO_KEY_UP);
        }
        if (tick % PRESS_EVERY == 0) {
            pressNearPlayer();
        }
        if (tick % SAVE_EVERY == SAVE_EVERY - 1) {
            pressHudButton(HUD_SAVE_BUTTON);
        } else if (tick % SAVE_EVERY == SAVE_EVERY / 2 && saves > 0) {
            pressHudButton(HUD_LOAD_BUTTON);
        }
    }
};

bool insideWorld(float x, float y) {
    return std::isfinite(x) && std::isfinite(y) && x >= -1.0f &&
           x <= WORLD_WIDTH - ACTOR_WIDTH + 1.0f && y >= -1.0f &&
           y <= WORLD_HEIGHT - ACTOR_HEIGHT + 1.0f;
}

void checkEveryone(Soak& soak, int tick) {
    std::string problem;
    ASSERT_TRUE(worldSegmentsConsistent(*soak.test.world, soak.test.space, problem))
        << "at tick " << tick << ": " << problem;
    ASSERT_TRUE(insideWorld(soak.player.x, soak.player.y))
        << "the player left the world at tick " << tick << ": (" << soak.player.x << ", "
        << soak.player.y << ")";
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const Enemy& enemy = soak.enemies[i];
        ASSERT_TRUE(insideWorld(enemy.x, enemy.y))
            << "enemy " << i << " left the world at tick " << tick << ": (" << enemy.x << ", "
            << enemy.y << ")";
    }
}

float leftmostEnemy(const Soak& soak) {
    float x = WORLD_WIDTH;
    for (const Enemy& enemy : soak.enemies) {
        x = std::fmin(x, enemy.x);
    }
    return x;
}

float rightmostEnemy(const Soak& soak) {
    float x = 0;
    for (const Enemy& enemy : soak.enemies) {
        x = std::fmax(x, enemy.x);
    }
    return x;
}

} // namespace

TEST(Soak, ThirtyMinutesOfDiggingBuildingSavingAndLoadingLoseNothing) {
    // Saves and loads without a saver thread allocate their 15 and 25 MB buffers each time.
    // After the first such buffer is freed, glibc's allocator would raise its mmap threshold
    // and keep later ones in the heap when they are freed, which reads as growth here. A fixed
    // threshold hands every large buffer back when it is freed: what stays resident is live.
    returnLargeBlocksToSystem();
    const int ticks = soakTicks();
    auto soak = std::make_unique<Soak>();
    const Memory atStart = readMemory(); // the world generated, nothing played yet
    soak->player.dirtCount = 200;        // something to build with from the start
    Memory warm{};
    for (int tick = 0; tick < ticks; ++tick) {
        soak->tick();
        soak->script(tick);
        if (tick % CHECK_EVERY == 0 || tick == ticks - 1) {
            checkEveryone(*soak, tick);
        }
        if (tick == SAVE_EVERY + SAVE_EVERY / 2) {
            warm = readMemory(); // after the first save and the first load
        }
    }
    const Memory atEnd = readMemory();
    std::printf("soak: %d ticks (%.1f simulated minutes), %ld blocks mined, %ld placed, %d saves, "
                "%d loads\n",
                ticks, ticks / static_cast<double>(TICKS_PER_MINUTE), soak->mined, soak->placed,
                soak->saves, soak->loads);
    std::printf("soak: the player ends at (%.1f, %.1f), the enemies between x %.1f and %.1f\n",
                soak->player.x, soak->player.y, leftmostEnemy(*soak), rightmostEnemy(*soak));
    std::printf("soak: memory in kB: resident %ld / peak %ld at the start, %ld / %ld after the "
                "first save and load, %ld / %ld at the end\n",
                atStart.residentKb, atStart.peakKb, warm.residentKb, warm.peakKb, atEnd.residentKb,
                atEnd.peakKb);
    EXPECT_GE(soak->mined, 1000);
    EXPECT_GE(soak->placed, 1000);
    if (ticks > SAVE_EVERY * 2) {
        EXPECT_GE(soak->loads, 1);
    }
    if (!SANITIZED && warm.peakKb != 0) {
        EXPECT_LE(atEnd.residentKb, warm.residentKb + MEMORY_MARGIN_KB) << "resident memory grew";
        EXPECT_LE(atEnd.peakKb, warm.peakKb + MEMORY_MARGIN_KB) << "peak memory grew";
    }
}
