#include "save_bytes.h"

#include <algorithm>
#include <cstring>

#include "base/game_assert.h"

namespace {

std::vector<uint8_t> littleEndian(uint64_t bits, int count) {
    std::vector<uint8_t> bytes(count);
    for (int i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    }
    return bytes;
}

} // namespace

size_t cellAtOffset(int column, int row) {
    GAME_ASSERT(cellInGrid(column, row), "a record offset was asked for a cell off the grid");
    return SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * static_cast<size_t>(column * WORLD_ROWS + row);
}

uint32_t u32At(const SaveBytes& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value |= static_cast<uint32_t>(bytes.at(at + i)) << (8 * i);
    }
    return value;
}

float f32At(const SaveBytes& bytes, size_t at) {
    const uint32_t bits = u32At(bytes, at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::vector<uint8_t> bytesOfI32(int32_t value) {
    return littleEndian(static_cast<uint32_t>(value), 4);
}

std::vector<uint8_t> bytesOfF32(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return littleEndian(bits, 4);
}

std::vector<uint8_t> bytesOfF64(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return littleEndian(bits, 8);
}

void putBytes(SaveBytes& bytes, size_t at, const std::vector<uint8_t>& value) {
    GAME_ASSERT(at + value.size() <= bytes.size(), "bytes written past the end of a save image");
    std::copy(value.begin(), value.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
}
