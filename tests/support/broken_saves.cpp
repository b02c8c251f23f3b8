#include "broken_saves.h"

#include <limits>

#include "save_bytes.h"

std::vector<BrokenSave> brokenSaves() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const double far = 1e305;
    return {
        {"empty", {}, -static_cast<long>(SAVE_FILE_SIZE), "0 bytes"},
        {"one-byte-short", {}, -1, "15206703 bytes"},
        {"one-byte-long", {}, 1, "longer"},
        {"cut-inside-a-record", {}, -4422, "shorter"},
        {"bad-id-7", {{cellAtOffset(200, 300) + CELL_ID, bytesOf<int32_t>(7)}}, 0, "id 7"},
        {"bad-id-negative", {{cellAtOffset(3, 3) + CELL_ID, bytesOf<int32_t>(-1)}}, 0, "id -1"},
        {"bad-name", {{cellAtOffset(5, 121) + CELL_NAME + 1, {'l'}}}, 0, "name"},
        {"name-of-another-type",
         {{cellAtOffset(5, 200) + CELL_NAME, {'G', 'o', 'l', 'd', 0}}},
         0,
         "name"},
        {"bad-passable", {{cellAtOffset(5, 10) + CELL_PASSABLE, {0}}}, 0, "passable"},
        {"misplaced-cell", {{cellAtOffset(5, 10) + CELL_X, bytesOf(60.0f)}}, 0, "placed"},
        {"nan-cell-y", {{cellAtOffset(5, 10) + CELL_Y, bytesOf(nan)}}, 0, "placed"},
        {"nan-player-x", {{HEADER_X, bytesOf(nan)}}, 0, "x is nan"},
        {"infinite-player-y", {{HEADER_Y, bytesOf(infinity)}}, 0, "y is inf"},
        {"infinite-impulse-base",
         {{HEADER_IMPULSE_Y, bytesOf<double>(infinity)}},
         0,
         "impulse base y is inf"},
        {"nan-impulse-base",
         {{HEADER_IMPULSE_Y, bytesOf<double>(nan)}},
         0,
         "impulse base y is nan"},
        {"impulse-base-far-off",
         {{HEADER_IMPULSE_X, bytesOf(far)}, {HEADER_IMPULSE_Y, bytesOf(far)}},
         0,
         "the impulse base x is 1e+305, not 0"},
        {"player-left-of-the-world",
         {{HEADER_X, bytesOf(-10.0f)}},
         0,
         "the player's x is -10, not -5 to 7195"},
        {"player-centre-past-the-left-wall",
         {{HEADER_X, bytesOf(-5.1f)}},
         0,
         "the player's x is -5.1, not -5 to 7195"},
        {"player-right-of-the-world",
         {{HEADER_X, bytesOf(7211.0f)}},
         0,
         "the player's x is 7211, not -5 to 7195"},
        {"player-below-the-world",
         {{HEADER_Y, bytesOf(4810.0f)}},
         0,
         "the player's y is 4810, not -10 to 4790"},
        {"negative-grass", {{HEADER_GRASS, bytesOf<int32_t>(-1)}}, 0, "Grass count is -1"},
        {"negative-dirt", {{HEADER_DIRT, bytesOf<int32_t>(-5)}}, 0, "Dirt count is -5"},
        {"selected-0", {{HEADER_SELECTED, bytesOf<int32_t>(0)}}, 0, "selected block is 0"},
        {"selected-5", {{HEADER_SELECTED, bytesOf<int32_t>(5)}}, 0, "selected block is 5"},
    };
}

void applyBrokenSave(const BrokenSave& broken, SaveBytes& bytes) {
    for (const auto& [at, value] : broken.writes) {
        putBytes(bytes, at, value);
    }
    GAME_ASSERT(broken.resize >= -static_cast<long>(bytes.size()), "a cut longer than the file");
    bytes.resize(static_cast<size_t>(static_cast<long>(bytes.size()) + broken.resize), 0);
}
