// How the save fuzzer reads its input. A save is 15,206,704 bytes, far too long for a fuzzer
// to mutate as a whole, so an input is either a short raw file image or a patch applied to one
// of a few real saves that the game's own code writes: writes into the header, into one cell
// record or anywhere, and cuts or extensions of the file. The seed tool writes inputs in the
// same form with FuzzPatch.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "actors/player.h"
#include "world/block_types.h"
#include "world/save_file.h"

/// Real saves that patches apply to.
enum FuzzBase { FUZZ_BASE_NEW_WORLD, FUZZ_BASE_DUG_WORLD, FUZZ_BASE_COUNT };

/// What one patch operation does; the low two bits of its first byte.
enum FuzzOperation { FUZZ_WRITE_HEADER, FUZZ_WRITE_CELL, FUZZ_WRITE_ANYWHERE, FUZZ_RESIZE };

/// The real saves of FuzzBase, made once from fixed seeds with the game's own encoder.
struct FuzzBases {
    /// The block table the saves were made with.
    BlockTypes blockTypes;
    /// File images, indexed by FuzzBase.
    SaveBytes saves[FUZZ_BASE_COUNT];
};

/// Generates the worlds and encodes them (a new world, and one dug and built on by the player).
void makeFuzzBases(FuzzBases& bases);

/// Turns a fuzz input into the file image to check: a raw image when the first byte is even,
/// otherwise the patch it describes applied to the base it names. `file` is a scratch image
/// that is reused between calls for speed.
void fuzzInputToFile(const uint8_t* data, size_t size, const FuzzBases& bases, SaveBytes& file);

/// Builds a fuzz input in the patch form.
struct FuzzPatch {
    /// The input built so far.
    std::vector<uint8_t> bytes;

    /// Starts a patch onto a base.
    explicit FuzzPatch(FuzzBase base);
    /// Writes `value` at an offset of the 304-byte header.
    FuzzPatch& header(size_t offset, const std::vector<uint8_t>& value);
    /// Writes `value` at an offset inside the record of cell (column, row).
    FuzzPatch& cell(int column, int row, size_t offset, const std::vector<uint8_t>& value);
    /// Makes the file `change` bytes longer (positive) or shorter (negative), at most 65,535.
    FuzzPatch& resize(int change);
};
