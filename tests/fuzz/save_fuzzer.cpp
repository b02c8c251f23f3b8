// libFuzzer target over the save file's checker and decoders. Every input must either be
// rejected with a message, or load as a sound world: every cell a whole copy of its type at its
// place, a player inside the world with a sane stock, ground segments that follow the grid,
// and a save of the loaded world that loads again. Anything else aborts the run.
#include <chipmunk/chipmunk.h>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "actors/physics.h"
#include "save_fuzz_input.h"
#include "world/editing.h"

namespace {

// Values a load must leave alone: this run's display size, keys, load flags and references.
constexpr int32_t RUN_WIDTH = 1366;
constexpr int32_t RUN_HEIGHT = 768;
constexpr int32_t RUN_LOAD_FAILED = 7;
char runBitmap, runBody, runShape;

struct FuzzState {
    FuzzBases bases;
    SaveBytes file;
    SaveBytes again;
    std::unique_ptr<World> world = std::make_unique<World>();
    cpSpace* space = nullptr;
};

FuzzState* state = nullptr;

void fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "save fuzzer: %s: %s\n", what, detail.c_str());
    std::abort();
}

void expect(bool holds, const char* what) {
    if (!holds) {
        fail(what, "");
    }
}

Player runPlayer() {
    Player player{};
    player.screenWidth = RUN_WIDTH;
    player.screenHeight = RUN_HEIGHT;
    player.keys[keyLeft] = 1;
    player.loadRequested = 1;
    player.loadFailed = RUN_LOAD_FAILED;
    player.bitmap = reinterpret_cast<ALLEGRO_BITMAP*>(&runBitmap);
    player.body = reinterpret_cast<cpBody*>(&runBody);
    player.shape = reinterpret_cast<cpShape*>(&runShape);
    return player;
}

void checkPlayer(const Player& player) {
    const Player run = runPlayer();
    expect(player.screenWidth == RUN_WIDTH && player.screenHeight == RUN_HEIGHT,
           "a load changed the display size");
    expect(std::memcmp(player.keys, run.keys, KEY_COUNT) == 0, "a load changed the held keys");
    expect(player.loadRequested == 1 && player.loadFailed == RUN_LOAD_FAILED,
           "a load changed the load flags");
    expect(player.bitmap == run.bitmap && player.body == run.body && player.shape == run.shape,
           "a load changed a reference");
    expect(std::isfinite(player.x) && std::isfinite(player.y), "a loaded position is not finite");
    expect(player.x >= -BLOCK_SIZE && player.x <= WORLD_WIDTH + BLOCK_SIZE &&
               player.y >= -BLOCK_SIZE && player.y <= WORLD_HEIGHT + BLOCK_SIZE,
           "a loaded player stands more than a block outside the world");
    expect(player.dirtCount >= 0 && player.grassCount >= 0 && player.stoneCount >= 0 &&
               player.goldCount >= 0,
           "a loaded stock is negative");
    expect(player.selectedBlock >= 1 && player.selectedBlock <= 4,
           "a loaded selection is not 1 to 4");
    expect(std::isfinite(player.impulseBase.x) && std::isfinite(player.impulseBase.y),
           "a loaded impulse base is not finite");
}

bool placeOk(float value, int index) {
    return value == 0.0f || value == static_cast<float>(index * BLOCK_SIZE);
}

void checkCells(const World& world, const BlockTypes& blockTypes) {
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            const Block& cell = cellAt(world, column, row);
            expect(cell.id >= 0 && cell.id < BLOCK_TYPE_COUNT, "a loaded cell has a bad id");
            const Block& type = blockTypes.rows[cell.id];
            expect(std::memcmp(cell.name, type.name, BLOCK_NAME_SIZE) == 0 &&
                       cell.passable == type.passable && cell.bitmap == type.bitmap,
                   "a loaded cell is not a copy of its type");
            expect(placeOk(cell.x, column) && placeOk(cell.y, row), "a loaded cell lies elsewhere");
            expect(cell.topShape == nullptr && cell.bottomShape == nullptr &&
                       cell.rightShape == nullptr && cell.leftShape == nullptr,
                   "a loaded cell took a segment reference from the file");
        }
    }
}

// The loaded world's segments, rebuilt as a load rebuilds them, must follow the grid.
void checkSegments(World& world, cpSpace* space) {
    buildWorldSegments(world, space);
    std::string problem;
    if (!worldSegmentsConsistent(world, space, problem)) {
        fail("the segments of a loaded world do not follow its grid", problem);
    }
    clearWorldSegments(world, space);
}

void checkLoaded(FuzzState& fuzz) {
    Player player = runPlayer();
    decodeSavedPlayer(fuzz.file, player);
    checkPlayer(player);
    decodeSavedCells(fuzz.file, fuzz.bases.blockTypes, *fuzz.world);
    checkCells(*fuzz.world, fuzz.bases.blockTypes);
    checkSegments(*fuzz.world, fuzz.space);
    encodeSave(*fuzz.world, player, fuzz.again);
    std::string problem;
    if (!validateSave(fuzz.again, fuzz.bases.blockTypes, problem)) {
        fail("a save of a loaded world does not load", problem);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    state = new FuzzState;
    makeFuzzBases(state->bases);
    state->space = createSpace();
    createWorldWalls(state->space);
    for (const SaveBytes& base : state->bases.saves) {
        std::string problem;
        if (!validateSave(base, state->bases.blockTypes, problem)) {
            fail("a real save is rejected", problem);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzState& fuzz = *state;
    fuzzInputToFile(data, size, fuzz.bases, fuzz.file);
    std::string problem;
    if (validateSave(fuzz.file, fuzz.bases.blockTypes, problem)) {
        checkLoaded(fuzz);
    } else if (problem.empty()) {
        fail("a file was rejected without a message", "");
    }
    return 0;
}
