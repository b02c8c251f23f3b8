#include "broken_saves.h"

#include <limits>
#include <utility>

#include "base/game_assert.h"
#include "save_bytes.h"
#include "world/save_layout.h"

SaveEdit headerEdit(size_t offset, std::vector<uint8_t> bytes) {
    return {SaveEdit::IN_HEADER, 0, 0, offset, std::move(bytes), 0};
}

SaveEdit cellEdit(int column, int row, size_t offset, std::vector<uint8_t> bytes) {
    return {SaveEdit::IN_CELL, column, row, offset, std::move(bytes), 0};
}

SaveEdit resizeEdit(long change) {
    return {SaveEdit::RESIZE, 0, 0, 0, {}, change};
}

std::vector<BrokenSave> brokenSaves() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const long fileSize = static_cast<long>(SAVE_FILE_SIZE);
    return {
        {"empty", {resizeEdit(-fileSize)}, "0 bytes"},
        {"one-byte-short", {resizeEdit(-1)}, "15206703 bytes"},
        {"one-byte-long", {resizeEdit(1)}, "longer"},
        {"cut-inside-a-record", {resizeEdit(-4422)}, "shorter"},
        {"bad-id-7", {cellEdit(200, 300, CELL_ID, bytesOfI32(7))}, "id 7"},
        {"bad-id-negative", {cellEdit(3, 3, CELL_ID, bytesOfI32(-1))}, "id -1"},
        {"bad-name", {cellEdit(5, 121, CELL_NAME + 1, {'l'})}, "name"},
        {"name-of-another-type", {cellEdit(5, 200, CELL_NAME, {'G', 'o', 'l', 'd', 0})}, "name"},
        {"bad-passable", {cellEdit(5, 10, CELL_PASSABLE, {0})}, "passable"},
        {"misplaced-cell", {cellEdit(5, 10, CELL_X, bytesOfF32(60.0f))}, "placed"},
        {"nan-cell-y", {cellEdit(5, 10, CELL_Y, bytesOfF32(nan))}, "placed"},
        {"nan-player-x", {headerEdit(HEADER_X, bytesOfF32(nan))}, "x is nan"},
        {"infinite-player-y", {headerEdit(HEADER_Y, bytesOfF32(infinity))}, "y is inf"},
        {"infinite-impulse-base",
         {headerEdit(HEADER_IMPULSE_Y, bytesOfF64(infinity))},
         "impulse base y is inf"},
        {"nan-impulse-base",
         {headerEdit(HEADER_IMPULSE_Y, bytesOfF64(nan))},
         "impulse base y is nan"},
        {"impulse-base-far-off",
         {headerEdit(HEADER_IMPULSE_X, bytesOfF64(1e305)),
          headerEdit(HEADER_IMPULSE_Y, bytesOfF64(1e305))},
         "the impulse base x is 1e+305, not 0"},
        {"player-left-of-the-world",
         {headerEdit(HEADER_X, bytesOfF32(-10.0f))},
         "the player's x is -10, not -5 to 7195"},
        {"player-right-of-the-world",
         {headerEdit(HEADER_X, bytesOfF32(7211.0f))},
         "the player's x is 7211, not -5 to 7195"},
        {"player-below-the-world",
         {headerEdit(HEADER_Y, bytesOfF32(4810.0f))},
         "the player's y is 4810, not -10 to 4790"},
        {"negative-grass", {headerEdit(HEADER_GRASS, bytesOfI32(-1))}, "Grass count is -1"},
        {"negative-dirt", {headerEdit(HEADER_DIRT, bytesOfI32(-5))}, "Dirt count is -5"},
        {"selected-0", {headerEdit(HEADER_SELECTED, bytesOfI32(0))}, "selected block is 0"},
        {"selected-5", {headerEdit(HEADER_SELECTED, bytesOfI32(5))}, "selected block is 5"},
    };
}

void applyBrokenSave(const BrokenSave& broken, SaveBytes& bytes) {
    for (const SaveEdit& edit : broken.edits) {
        switch (edit.kind) {
        case SaveEdit::IN_HEADER:
            GAME_ASSERT(edit.offset + edit.bytes.size() <= SAVE_HEADER_SIZE,
                        "a header edit runs past the header: check its offset and length");
            putBytes(bytes, edit.offset, edit.bytes);
            break;
        case SaveEdit::IN_CELL:
            GAME_ASSERT(edit.offset + edit.bytes.size() <= SAVE_RECORD_SIZE,
                        "a cell edit runs past its record: check its offset and length");
            putBytes(bytes, cellAtOffset(edit.column, edit.row) + edit.offset, edit.bytes);
            break;
        case SaveEdit::RESIZE:
            GAME_ASSERT(edit.change >= -static_cast<long>(bytes.size()),
                        "a cut longer than the file");
            bytes.resize(static_cast<size_t>(static_cast<long>(bytes.size()) + edit.change), 0);
            break;
        }
    }
}
