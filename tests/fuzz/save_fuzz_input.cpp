#include "save_fuzz_input.h"

#include <algorithm>
#include <cstring>

#include "stand_in_images.h"
#include "test_game.h"
#include "world/editing.h"

namespace {

constexpr uint32_t NEW_WORLD_SEED = 2026;
constexpr uint32_t DUG_WORLD_SEED = 31337;
// An operation: its kind byte, a 24-bit offset, a length byte, then that many bytes.
constexpr size_t OPERATION_HEAD = 5;
constexpr size_t MAX_RESIZE = 0xFFFF;

// The player digs a pit and a tunnel at the left of the world and builds a tower of every kind
// in the sky, as a session would, then walks off to the lower right corner.
void digAndBuild(World& world, const BlockTypes& blockTypes, Player& player, cpSpace* space) {
    player.dirtCount = player.grassCount = player.stoneCount = player.goldCount = 50;
    for (int step = 0; step < 12; ++step) {
        player.x = 100.0f;
        player.y = 1190.0f + 10.0f * step;
        for (int column = 8; column <= 12; ++column) {
            mineCell(world, blockTypes, player, space, column, 121 + step);
        }
    }
    player.x = 300.0f;
    player.y = 1100.0f;
    for (int row = 108; row <= 114; ++row) {
        player.selectedBlock = 1 + row % 4;
        placeBlock(world, blockTypes, player, space, 30, row);
    }
    player.x = 7185.5f;
    player.y = 4755.25f;
    player.selectedBlock = 3;
    player.canJump = 0;
    player.keys[keyRight] = 1;
}

void makeBase(uint32_t seed, bool dug, const BlockTypes& blockTypes, SaveBytes& save) {
    TestGame test;
    test.blockTypes = blockTypes;
    test.generate(seed);
    test.player.y = 1190.0f;
    if (dug) {
        digAndBuild(*test.world, test.blockTypes, test.player, test.space);
    }
    encodeWorldSave(*test.world, test.player, test.blockTypes, save);
}

uint32_t offsetOf(const uint8_t* head) {
    return head[1] | (head[2] << 8) | (static_cast<uint32_t>(head[3]) << 16);
}

void writeClipped(SaveBytes& file, size_t at, const uint8_t* value, size_t count) {
    if (at >= file.size()) {
        return;
    }
    count = std::min(count, file.size() - at);
    std::memcpy(&file[at], value, count);
}

void resizeFile(SaveBytes& file, uint8_t kind, uint32_t offset, const uint8_t* fill, size_t count) {
    const size_t change = offset & MAX_RESIZE;
    if ((kind >> 2) & 1) {
        file.resize(file.size() - std::min(change, file.size()));
        return;
    }
    const size_t old = file.size();
    file.resize(old + change, 0);
    for (size_t i = 0; count != 0 && i < change; ++i) {
        file[old + i] = fill[i % count];
    }
}

// Applies one operation and returns the bytes it used.
size_t applyOperation(const uint8_t* data, size_t size, SaveBytes& file) {
    if (size < OPERATION_HEAD) {
        return size;
    }
    const uint8_t kind = data[0];
    const uint32_t offset = offsetOf(data);
    const size_t count = std::min<size_t>(data[4], size - OPERATION_HEAD);
    const uint8_t* value = data + OPERATION_HEAD;
    switch (kind & 3) {
    case FUZZ_WRITE_HEADER:
        writeClipped(file, offset % SAVE_HEADER_SIZE, value, count);
        break;
    case FUZZ_WRITE_CELL:
        writeClipped(file,
                     SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * (offset % WORLD_CELLS) +
                         (kind >> 2) % SAVE_RECORD_SIZE,
                     value, count);
        break;
    case FUZZ_WRITE_ANYWHERE:
        writeClipped(file, offset % SAVE_FILE_SIZE, value, count);
        break;
    default:
        resizeFile(file, kind, offset, value, count);
        break;
    }
    return OPERATION_HEAD + count;
}

void putHead(std::vector<uint8_t>& bytes, uint8_t kind, uint32_t offset, size_t count) {
    bytes.push_back(kind);
    bytes.push_back(static_cast<uint8_t>(offset));
    bytes.push_back(static_cast<uint8_t>(offset >> 8));
    bytes.push_back(static_cast<uint8_t>(offset >> 16));
    bytes.push_back(static_cast<uint8_t>(count));
}

} // namespace

void makeFuzzBases(FuzzBases& bases) {
    initBlockTypes(bases.blockTypes);
    bindStandInImages(bases.blockTypes); // a real save marks every cell's image as set
    makeBase(NEW_WORLD_SEED, false, bases.blockTypes, bases.saves[FUZZ_BASE_NEW_WORLD]);
    makeBase(DUG_WORLD_SEED, true, bases.blockTypes, bases.saves[FUZZ_BASE_DUG_WORLD]);
}

void fuzzInputToFile(const uint8_t* data, size_t size, const FuzzBases& bases, SaveBytes& file) {
    if (size == 0 || data[0] % 2 == 0) {
        file.assign(data + (size != 0), data + size);
        return;
    }
    const SaveBytes& base = bases.saves[(data[0] >> 1) % FUZZ_BASE_COUNT];
    file.resize(base.size());
    std::memcpy(file.data(), base.data(), base.size());
    for (size_t at = 1; at < size;) {
        at += applyOperation(data + at, size - at, file);
    }
}

FuzzPatch::FuzzPatch(FuzzBase base) {
    bytes.push_back(static_cast<uint8_t>(1 + 2 * base));
}

FuzzPatch& FuzzPatch::header(size_t offset, const std::vector<uint8_t>& value) {
    putHead(bytes, FUZZ_WRITE_HEADER, static_cast<uint32_t>(offset), value.size());
    bytes.insert(bytes.end(), value.begin(), value.end());
    return *this;
}

FuzzPatch& FuzzPatch::cell(int column, int row, size_t offset, const std::vector<uint8_t>& value) {
    putHead(bytes, static_cast<uint8_t>(FUZZ_WRITE_CELL | (offset << 2)),
            static_cast<uint32_t>(column * WORLD_ROWS + row), value.size());
    bytes.insert(bytes.end(), value.begin(), value.end());
    return *this;
}

FuzzPatch& FuzzPatch::resize(int change) {
    const uint8_t shorter = change < 0 ? 4 : 0;
    putHead(bytes, static_cast<uint8_t>(FUZZ_RESIZE | shorter),
            static_cast<uint32_t>(change < 0 ? -change : change), 0);
    return *this;
}
