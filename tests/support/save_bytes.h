// Save bytes read and written field by field, at the offsets of world/save_layout.h. The test
// machines are little-endian, like the file.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/game_assert.h"
#include "world/save_layout.h"

/// Offset of the record of cell (column, row) from the start of the file.
inline size_t cellAtOffset(int column, int row) {
    return SAVE_HEADER_SIZE + SAVE_RECORD_SIZE * static_cast<size_t>(column * WORLD_ROWS + row);
}

/// The value of type T that the file holds at `at`.
template <typename T> T valueAt(const SaveBytes& bytes, size_t at) {
    GAME_ASSERT(at + sizeof(T) <= bytes.size(), "a read past the end of a save image");
    T value;
    std::memcpy(&value, &bytes[at], sizeof value);
    return value;
}

/// The 32-bit integer the file holds at `at`.
inline uint32_t u32At(const SaveBytes& bytes, size_t at) {
    return valueAt<uint32_t>(bytes, at);
}

/// The 32-bit float the file holds at `at`.
inline float f32At(const SaveBytes& bytes, size_t at) {
    return valueAt<float>(bytes, at);
}

/// A value as the file holds it: int32_t, float or double.
template <typename T> std::vector<uint8_t> bytesOf(T value) {
    std::vector<uint8_t> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

/// Writes `value` over the bytes from `at` on.
inline void putBytes(SaveBytes& bytes, size_t at, const std::vector<uint8_t>& value) {
    GAME_ASSERT(at + value.size() <= bytes.size(), "a write past the end of a save image");
    std::memcpy(&bytes[at], value.data(), value.size());
}
