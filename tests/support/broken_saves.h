// Every kind of damage a player's disk or a stray program could do to a save, each as a few
// edits of a good save's bytes. The unit tests load each one and expect the refusal it names;
// the fuzzer's seed tool turns each into a seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/save_codec.h"

/// One change to a save's bytes.
struct SaveEdit {
    /// What the edit changes.
    enum Kind {
        /// Writes `bytes` at `offset` of the header.
        IN_HEADER,
        /// Writes `bytes` at `offset` of the record of cell (column, row).
        IN_CELL,
        /// Makes the file `change` bytes longer, or shorter when negative, at its end.
        RESIZE,
    } kind;
    int column;
    int row;
    /// A HEADER_ or CELL_ offset of world/save_layout.h.
    size_t offset;
    std::vector<uint8_t> bytes;
    long change;
};

/// A save with one fault.
struct BrokenSave {
    /// A short name, also the name of its fuzzer seed.
    const char* name;
    std::vector<SaveEdit> edits;
    /// What the refusal line says of it (a part of the line).
    const char* said;
};

/// Writes `bytes` at a HEADER_ offset.
SaveEdit headerEdit(size_t offset, std::vector<uint8_t> bytes);

/// Writes `bytes` at a CELL_ offset of the record of cell (column, row).
SaveEdit cellEdit(int column, int row, size_t offset, std::vector<uint8_t> bytes);

/// Makes the file `change` bytes longer, or shorter when negative.
SaveEdit resizeEdit(long change);

/// The table of broken saves.
std::vector<BrokenSave> brokenSaves();

/// Applies every edit of `broken` to a good save's bytes.
void applyBrokenSave(const BrokenSave& broken, SaveBytes& bytes);
