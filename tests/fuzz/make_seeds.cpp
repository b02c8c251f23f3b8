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
        .cell(column, row, CELL_ID, bytesOfI32(id))
        .cell(column, row, CELL_PASSABLE, {passable})
        .cell(column, row, CELL_X, bytesOfF32(x))
        .cell(column, row, CELL_Y, bytesOfF32(y));
}

// The whole-file fuzzer's input for a broken save: a patch onto a real save, or the raw file
// when the damage cuts more of it than a patch can.
std::vector<uint8_t> fileSeed(const BrokenSave& broken, FuzzBase base, const FuzzBases& bases) {
    FuzzPatch patch(base);
    for (const SaveEdit& edit : broken.edits) {
        if (edit.kind == SaveEdit::IN_HEADER) {
            patch.header(edit.offset, edit.bytes);
        } else if (edit.kind == SaveEdit::IN_CELL) {
            patch.cell(edit.column, edit.row, edit.offset, edit.bytes);
        } else if (edit.change >= -PATCH_RESIZE_MOST && edit.change <= PATCH_RESIZE_MOST) {
            patch.resize(static_cast<int>(edit.change));
        } else {
            SaveBytes file = bases.saves[base];
            applyBrokenSave(broken, file);
            GAME_ASSERT(file.size() <= SAVE_HEADER_SIZE,
                        "a broken save too long for a raw seed: make its cut a patch's");
            file.insert(file.begin(), 0); // an even first byte: a raw file image follows
            return file;
        }
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

void addSeeds(const FuzzBases& bases, std::vector<Seed>& files, std::vector<Seed>& records) {
    const std::vector<BrokenSave> table = brokenSaves();
    for (size_t i = 0; i < table.size(); ++i) {
        const BrokenSave& broken = table[i];
        const auto base = static_cast<FuzzBase>(i % FUZZ_BASE_COUNT); // both bases get damaged
        SaveBytes save = bases.saves[base];
        applyBrokenSave(broken, save);
        files.push_back({broken.name, fileSeed(broken, base, bases)});
        SaveBytes decoded;
        fuzzInputToFile(files.back().bytes.data(), files.back().bytes.size(), bases, decoded);
        GAME_ASSERT(decoded == save, "a broken save's seed is another file: check fileSeed");
        if (save.size() != SAVE_FILE_SIZE) {
            continue; // the record fuzzer sees no file length
        }
        std::vector<int> cells;
        for (const SaveEdit& edit : broken.edits) {
            if (edit.kind == SaveEdit::IN_CELL) {
                cells.push_back(edit.column * WORLD_ROWS + edit.row);
            }
        }
        records.push_back({broken.name, headerAndRecords(save, cells)});
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
         FuzzPatch(FUZZ_BASE_DUG_WORLD).header(HEADER_GOLD, bytesOfI32(INT32_MAX)).bytes},
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
    addSeeds(bases, files, records);
    return writeSeeds(argv[1], files) && writeSeeds(argv[2], records) ? 0 : 1;
}
