// Every kind of damage a player's disk or a stray program could do to a save, each as bytes
// written over a good save's and a change of its length. The unit tests load each one and
// expect the refusal it names; the fuzzer's seed tool turns each into a seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "world/save_codec.h"

/// A save with one fault.
struct BrokenSave {
    /// A short name, also the name of its fuzzer seed.
    const char* name;
    /// Bytes written over the good save's, each at a file offset: a HEADER_ offset, or
    /// cellAtOffset plus a CELL_ offset.
    std::vector<std::pair<size_t, std::vector<uint8_t>>> writes;
    /// Bytes then added at the end, or cut off it when negative.
    long resize;
    /// What the refusal line says of it (a part of the line).
    const char* said;
};

/// The table of broken saves.
std::vector<BrokenSave> brokenSaves();

/// Makes a good save's bytes the broken save.
void applyBrokenSave(const BrokenSave& broken, SaveBytes& bytes);
