// Writes the save fuzzers' seed corpora: for the whole-file fuzzer, real saves as they are and
// every broken save of the tests' table as a patch onto one of them; for the record fuzzer, the
// real saves' headers with a few of their records, and the broken saves' headers and records.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/game_assert.h"
#include "broken_saves.h"
#include "save_bytes.h"
#include "save_fuzz_input.h"

namespace {

// The longest cut or extension one patch operation makes.
constexpr long PATCH_RESIZE_MOST = 0xFFFF;

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
        .cell(column, row, CELL_ID, bytesOf<int32_t>(id))
        .cell(column, row, CELL_PASSABLE, {passable})
        .cell(column, row, CELL_X, bytesOf(x))
        .cell(column, row, CELL_Y, bytesOf(y));
}

// The grid index of the cell whose record holds the file offset `at` (past the header).
int cellIndexAt(size_t at) {
    return static_cast<int>((at - SAVE_HEADER_SIZE) / SAVE_RECORD_SIZE);
}

// The whole-file fuzzer's input for a broken save of `base`, whose bytes are `file`: a patch
// onto the real save, or the raw file when the damage cuts more of it than a patch can.
std::vector<uint8_t> fileSeed(const BrokenSave& broken, FuzzBase base, const SaveBytes& file) {
    if (broken.resize < -PATCH_RESIZE_MOST) {
        std::vector<uint8_t> raw = {0}; // an even first byte: a raw file image follows
        raw.insert(raw.end(), file.begin(), file.end());
        return raw;
    }
    FuzzPatch patch(base);
    for (const auto& [at, value] : broken.writes) {
        if (at < SAVE_HEADER_SIZE) {
            patch.header(at, value);
        } else {
            const int index = cellIndexAt(at);
            patch.cell(index / WORLD_ROWS, index % WORLD_ROWS,
                       (at - SAVE_HEADER_SIZE) % SAVE_RECORD_SIZE, value);
        }
    }
    if (broken.resize != 0) {
        patch.resize(static_cast<int>(broken.resize));
    }
    return patch.bytes;
}

// A record fuzzer input: a save's header, then the named cells' records with their indices.
std::vector<uint8_t> headerAndRecords(const SaveBytes& save, const std::vector<int>& cells) {
    std::vector<uint8_t> bytes(save.begin(), save.begin() + SAVE_HEADER_SIZE);
    for (int index : cells) {
        bytes.push_back(static_cast<uint8_t>(index));
        bytes.push_back(static_cast<uint8_t>(index >> 8));
        bytes.push_back(static_cast<uint8_t>(index >> 16));
        const auto record = save.begin() + SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * index;
        bytes.insert(bytes.end(), record, record + SAVE_RECORD_SIZE);
    }
    return bytes;
}

// Each broken save, on the two bases in turn: as a whole-file seed, checked to give exactly the
// broken file, and, when its length is whole, as its header and changed records.
void addBrokenSeeds(const FuzzBases& bases, std::vector<Seed>& files, std::vector<Seed>& records) {
    const std::vector<BrokenSave> table = brokenSaves();
    for (size_t i = 0; i < table.size(); ++i) {
        const BrokenSave& broken = table[i];
        const auto base = static_cast<FuzzBase>(i % FUZZ_BASE_COUNT);
        SaveBytes save = bases.saves[base];
        applyBrokenSave(broken, save);
        files.push_back({broken.name, fileSeed(broken, base, save)});
        SaveBytes decoded;
        fuzzInputToFile(files.back().bytes.data(), files.back().bytes.size(), bases, decoded);
        GAME_ASSERT(decoded == save, "a broken save's seed gives another file: check fileSeed");
        if (broken.resize == 0) {
            std::vector<int> cells;
            for (const auto& write : broken.writes) {
                if (write.first >= SAVE_HEADER_SIZE) {
                    cells.push_back(cellIndexAt(write.first));
                }
            }
            records.push_back({broken.name, headerAndRecords(save, cells)});
        }
    }
}

std::vector<Seed> realFileSeeds() {
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
        {"real-full-gold",
         FuzzPatch(FUZZ_BASE_DUG_WORLD).header(HEADER_GOLD, bytesOf<int32_t>(INT32_MAX)).bytes},
        {"raw-header-only", std::vector<uint8_t>(1 + SAVE_HEADER_SIZE, 0)},
        {"raw-text", {0, 'n', 'o', 't', ' ', 'a', ' ', 's', 'a', 'v', 'e', '\n'}},
    };
}

std::vector<Seed> realRecordSeeds(const FuzzBases& bases) {
    const SaveBytes& fresh = bases.saves[FUZZ_BASE_NEW_WORLD];
    const SaveBytes& dug = bases.saves[FUZZ_BASE_DUG_WORLD];
    const int cornerCell = WORLD_CELLS - 1;
    return {
        {"real-new-world", headerAndRecords(fresh, {121, 10 * WORLD_ROWS + 121, 0, cornerCell})},
        {"real-dug-world", headerAndRecords(dug, {10 * WORLD_ROWS + 125, 30 * WORLD_ROWS + 110,
                                                  30 * WORLD_ROWS + 114, cornerCell})},
    };
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
    FuzzBases bases;
    makeFuzzBases(bases);
    std::vector<Seed> files = realFileSeeds();
    std::vector<Seed> records = realRecordSeeds(bases);
    addBrokenSeeds(bases, files, records);
    return writeSeeds(argv[1], files) && writeSeeds(argv[2], records) ? 0 : 1;
}
