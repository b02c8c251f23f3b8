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

#include "fuzz_checks.h"
#include "save_fuzz_input.h"
#include "test_game.h"
#include "world/editing.h"

namespace {

struct FuzzState {
    FuzzBases bases;
    SaveBytes file;
    SaveBytes again;
    TestGame game; // its grid receives the loaded cells, its space their segments
};

// Made once for the whole run.
FuzzState& fuzzState() {
    static FuzzState* const state = new FuzzState;
    return *state;
}

// The loaded world's segments, rebuilt as a load rebuilds them, must follow the grid.
void checkSegments(World& world, cpSpace* space) {
    buildWorldSegments(world, space);
    std::string problem;
    if (!worldSegmentsConsistent(world, space, problem)) {
        fuzzFail("the segments of a loaded world do not follow its grid", problem);
    }
    clearWorldSegments(world, space);
}

void checkCells(const World& world, const BlockTypes& blockTypes) {
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            fuzzCheckCell(cellAt(world, column, row), column, row, blockTypes);
        }
    }
}

void checkLoaded(FuzzState& fuzz) {
    Player player = fuzzRunPlayer();
    decodeSavedPlayer(fuzz.file.data(), player);
    fuzzCheckPlayer(player);
    decodeSavedCells(fuzz.file, fuzz.bases.blockTypes, *fuzz.game.world);
    checkCells(*fuzz.game.world, fuzz.bases.blockTypes);
    checkSegments(*fuzz.game.world, fuzz.game.space);
    encodeWorldSave(*fuzz.game.world, player, fuzz.bases.blockTypes, fuzz.again);
    std::string problem;
    if (!validateSave(fuzz.again, fuzz.bases.blockTypes, problem)) {
        fuzzFail("a save of a loaded world does not load", problem);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzState& fuzz = fuzzState();
    makeFuzzBases(fuzz.bases);
    for (const SaveBytes& base : fuzz.bases.saves) {
        std::string problem;
        if (!validateSave(base, fuzz.bases.blockTypes, problem)) {
            fuzzFail("a real save is rejected", problem);
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzState& fuzz = fuzzState();
    fuzzInputToFile(data, size, fuzz.bases, fuzz.file);
    std::string problem;
    if (validateSave(fuzz.file, fuzz.bases.blockTypes, problem)) {
        checkLoaded(fuzz);
    } else if (problem.empty()) {
        fuzzFail("a file was rejected without a message", "");
    }
    return 0;
}
