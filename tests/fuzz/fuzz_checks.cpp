#include "fuzz_checks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "actors/physics.h"

namespace {

// Values a load must leave alone: this run's display size, keys, load flags and references.
constexpr int32_t RUN_WIDTH = 1366;
constexpr int32_t RUN_HEIGHT = 768;
constexpr int32_t RUN_LOAD_FAILED = 7;

bool placeOk(float value, int index) {
    return value == 0.0f || value == static_cast<float>(index * BLOCK_SIZE);
}

} // namespace

void fuzzFail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "save fuzzer: %s: %s\n", what, detail.c_str());
    std::abort();
}

void fuzzExpect(bool holds, const char* what) {
    if (!holds) {
        fuzzFail(what, "");
    }
}

Player fuzzRunPlayer() {
    Player player{};
    player.screenWidth = RUN_WIDTH;
    player.screenHeight = RUN_HEIGHT;
    player.keys[keyLeft] = 1;
    player.loadRequested = 1;
    player.loadFailed = RUN_LOAD_FAILED;
    static char references[3]; // only their addresses matter
    player.bitmap = reinterpret_cast<ALLEGRO_BITMAP*>(&references[0]);
    player.body = reinterpret_cast<cpBody*>(&references[1]);
    player.shape = reinterpret_cast<cpShape*>(&references[2]);
    return player;
}

void fuzzCheckPlayer(const Player& player) {
    const Player run = fuzzRunPlayer();
    fuzzExpect(player.screenWidth == RUN_WIDTH && player.screenHeight == RUN_HEIGHT,
               "a load changed the display size");
    fuzzExpect(std::memcmp(player.keys, run.keys, KEY_COUNT) == 0, "a load changed the held keys");
    fuzzExpect(player.loadRequested == 1 && player.loadFailed == RUN_LOAD_FAILED,
               "a load changed the load flags");
    fuzzExpect(player.bitmap == run.bitmap && player.body == run.body && player.shape == run.shape,
               "a load changed a reference");
    fuzzExpect(std::isfinite(player.x) && std::isfinite(player.y),
               "a loaded position is not finite");
    const double centreX = player.x + ACTOR_WIDTH / 2.0;
    const double centreY = player.y + ACTOR_HEIGHT / 2.0;
    fuzzExpect(centreX >= 0 && centreX <= WORLD_WIDTH && centreY >= 0 && centreY <= WORLD_HEIGHT,
               "a loaded player's box has its centre past a wall");
    fuzzExpect(player.dirtCount >= 0 && player.grassCount >= 0 && player.stoneCount >= 0 &&
                   player.goldCount >= 0,
               "a loaded stock is negative");
    fuzzExpect(player.selectedBlock >= 1 && player.selectedBlock <= 4,
               "a loaded selection is not 1 to 4");
    fuzzExpect(player.impulseBase.x == 0 && player.impulseBase.y == 0,
               "a loaded impulse base is not (0, 0)");
}

void fuzzCheckCell(const Block& cell, int column, int row, const BlockTypes& blockTypes) {
    fuzzExpect(cell.id >= 0 && cell.id < BLOCK_TYPE_COUNT, "a loaded cell has a bad id");
    const Block& type = blockTypes.rows[cell.id];
    fuzzExpect(std::memcmp(cell.name, type.name, BLOCK_NAME_SIZE) == 0 &&
                   cell.passable == type.passable && cell.bitmap == type.bitmap,
               "a loaded cell is not a copy of its type");
    fuzzExpect(placeOk(cell.x, column) && placeOk(cell.y, row), "a loaded cell lies elsewhere");
    fuzzExpect(cell.topShape == nullptr && cell.bottomShape == nullptr &&
                   cell.rightShape == nullptr && cell.leftShape == nullptr,
               "a loaded cell took a segment reference from the file");
}
