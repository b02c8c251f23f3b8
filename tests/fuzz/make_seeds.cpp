// Writes the save fuzzers' seed corpora: for the whole-file fuzzer, the two real saves as they
// are and damaged ones, each with one fault a player's disk or a stray program could leave; for
// the record fuzzer, the real saves' headers with a few of their records, and bad headers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "save_fuzz_input.h"
#include "world/save_layout.h"

namespace {

struct Seed {
    const char* name;
    std::vector<uint8_t> bytes;
};

std::vector<uint8_t> text(const char* name) {
    std::vector<uint8_t> bytes(BLOCK_NAME_SIZE, 0);
    for (int i = 0; i < BLOCK_NAME_SIZE && name[i] != '\0'; ++i) {
        bytes[i] = static_cast<uint8_t>(name[i]);
    }
    return bytes;
}

// A whole cell record of a type at a place, as the game writes one.
FuzzPatch& wholeCell(FuzzPatch& patch, int column, int row, const char* name, int id,
                     uint8_t passable, float x, float y) {
    return patch.cell(column, row, CELL_NAME, text(name))
        .cell(column, row, CELL_ID, fuzzBytesOfI32(id))
        .cell(column, row, CELL_PASSABLE, {passable})
        .cell(column, row, CELL_X, fuzzBytesOfF32(x))
        .cell(column, row, CELL_Y, fuzzBytesOfF32(y));
}

std::vector<Seed> seeds() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    FuzzPatch mined(FUZZ_BASE_NEW_WORLD);
    wholeCell(mined, 4, 121, "Undergro", BLOCK_UNDERGROUND, 1, 0, 0);
    FuzzPatch placed(FUZZ_BASE_DUG_WORLD);
    wholeCell(placed, 40, 100, "Gold", BLOCK_GOLD, 0, 400, 1000);
    FuzzPatch tunnel(FUZZ_BASE_NEW_WORLD);
    for (int column = 0; column < 40; ++column) {
        wholeCell(tunnel, column, 478, "Undergro", BLOCK_UNDERGROUND, 1, 0, 0);
    }
    FuzzPatch swapped(FUZZ_BASE_NEW_WORLD);
    wholeCell(swapped, 719, 300, "Stone", BLOCK_STONE, 0, 7190, 3000);
    return {
        {"real-new-world", FuzzPatch(FUZZ_BASE_NEW_WORLD).bytes},
        {"real-dug-world", FuzzPatch(FUZZ_BASE_DUG_WORLD).bytes},
        {"real-mined-surface", mined.bytes},
        {"real-placed-gold", placed.bytes},
        {"real-bottom-tunnel", tunnel.bytes},
        {"real-stone-at-the-right-edge", swapped.bytes},
        {"bad-id-7", FuzzPatch(FUZZ_BASE_NEW_WORLD).cell(5, 200, CELL_ID, fuzzBytesOfI32(7)).bytes},
        {"bad-id-negative",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).cell(719, 479, CELL_ID, fuzzBytesOfI32(-1)).bytes},
        {"bad-name", FuzzPatch(FUZZ_BASE_NEW_WORLD).cell(0, 0, CELL_NAME, text("Rock")).bytes},
        {"bad-passable", FuzzPatch(FUZZ_BASE_NEW_WORLD).cell(300, 250, CELL_PASSABLE, {1}).bytes},
        {"misplaced-cell",
         FuzzPatch(FUZZ_BASE_NEW_WORLD).cell(2, 3, CELL_X, fuzzBytesOfF32(30)).bytes},
        {"nan-cell-y",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).cell(9, 9, CELL_Y, fuzzBytesOfF32(nan)).bytes},
        {"nan-player-x",
         FuzzPatch(FUZZ_BASE_NEW_WORLD).header(HEADER_X, fuzzBytesOfF32(nan)).bytes},
        {"infinite-player-y",
         FuzzPatch(FUZZ_BASE_NEW_WORLD).header(HEADER_Y, fuzzBytesOfF32(infinity)).bytes},
        {"player-far-outside",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).header(HEADER_X, fuzzBytesOfF32(7211)).bytes},
        {"negative-dirt",
         FuzzPatch(FUZZ_BASE_NEW_WORLD).header(HEADER_DIRT, fuzzBytesOfI32(-5)).bytes},
        {"full-gold",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).header(HEADER_GOLD, fuzzBytesOfI32(INT32_MAX)).bytes},
        {"selected-0",
         FuzzPatch(FUZZ_BASE_NEW_WORLD).header(HEADER_SELECTED, fuzzBytesOfI32(0)).bytes},
        {"selected-5",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).header(HEADER_SELECTED, fuzzBytesOfI32(5)).bytes},
        {"nan-impulse", FuzzPatch(FUZZ_BASE_NEW_WORLD)
                            .header(HEADER_IMPULSE_Y, {0, 0, 0, 0, 0, 0, 0xf8, 0x7f})
                            .bytes},
        {"one-byte-short", FuzzPatch(FUZZ_BASE_NEW_WORLD).resize(-1).bytes},
        {"cut-inside-a-record", FuzzPatch(FUZZ_BASE_DUG_WORLD).resize(-4422).bytes},
        {"one-byte-long", FuzzPatch(FUZZ_BASE_NEW_WORLD).resize(1).bytes},
        {"raw-empty", {0}},
        {"raw-header-only", std::vector<uint8_t>(1 + SAVE_HEADER_SIZE, 0)},
        {"raw-text", {0, 'n', 'o', 't', ' ', 'a', ' ', 's', 'a', 'v', 'e', '\n'}},
    };
}

// A record fuzzer input: a base's header, then the named cells' records with their indices.
std::vector<uint8_t> headerAndRecords(const SaveBytes& base, const std::vector<int>& cells) {
    std::vector<uint8_t> bytes(base.begin(), base.begin() + SAVE_HEADER_SIZE);
    for (int index : cells) {
        bytes.push_back(static_cast<uint8_t>(index));
        bytes.push_back(static_cast<uint8_t>(index >> 8));
        bytes.push_back(static_cast<uint8_t>(index >> 16));
        const auto record = base.begin() + SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * index;
        bytes.insert(bytes.end(), record, record + SAVE_RECORD_SIZE);
    }
    return bytes;
}

std::vector<Seed> recordSeeds() {
    FuzzBases bases;
    makeFuzzBases(bases);
    const SaveBytes& fresh = bases.saves[FUZZ_BASE_NEW_WORLD];
    const SaveBytes& dug = bases.saves[FUZZ_BASE_DUG_WORLD];
    const int cornerCell = WORLD_CELLS - 1;
    std::vector<Seed> seeds = {
        {"real-new-world", headerAndRecords(fresh, {121, 10 * WORLD_ROWS + 121, 0, cornerCell})},
        {"real-dug-world", headerAndRecords(dug, {10 * WORLD_ROWS + 125, 30 * WORLD_ROWS + 110,
                                                  30 * WORLD_ROWS + 114, cornerCell})},
        {"player-left-of-the-world", headerAndRecords(fresh, {})},
        {"impulse-base-far-off", headerAndRecords(dug, {})},
    };
    const std::vector<uint8_t> left = fuzzBytesOfF32(-10.0f);
    std::copy(left.begin(), left.end(), seeds[2].bytes.begin() + HEADER_X);
    const double far = 1e305;
    std::memcpy(&seeds[3].bytes[HEADER_IMPULSE_X], &far, sizeof far);
    return seeds;
}

bool writeSeeds(const std::string& directory, const std::vector<Seed>& all) {
    for (const Seed& seed : all) {
        std::ofstream out(directory + "/" + seed.name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(seed.bytes.data()),
                  static_cast<std::streamsize>(seed.bytes.size()));
        if (!out) {
            std::fprintf(stderr, "cannot write the seed %s into %s\n", seed.name,
                         directory.c_str());
            return false;
        }
    }
    std::printf("wrote %zu seeds into %s\n", all.size(), directory.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FILE_SEED_DIRECTORY RECORD_SEED_DIRECTORY\n", argv[0]);
        return 2;
    }
    return writeSeeds(argv[1], seeds()) && writeSeeds(argv[2], recordSeeds()) ? 0 : 1;
}
