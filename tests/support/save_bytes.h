// Save bytes read and written field by field, at the offsets of world/save_layout.h, in the
// file's little-endian order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/save_layout.h"

/// Offset of the record of cell (column, row) from the start of the file.
size_t cellAtOffset(int column, int row);

/// The 32-bit little-endian integer at `at`.
uint32_t u32At(const SaveBytes& bytes, size_t at);

/// The 32-bit float at `at`.
float f32At(const SaveBytes& bytes, size_t at);

/// A 32-bit integer as the file holds it.
std::vector<uint8_t> bytesOfI32(int32_t value);

/// A 32-bit float as the file holds it.
std::vector<uint8_t> bytesOfF32(float value);

/// A 64-bit float as the file holds it.
std::vector<uint8_t> bytesOfF64(double value);

/// Writes `value` over the bytes from `at` on.
void putBytes(SaveBytes& bytes, size_t at, const std::vector<uint8_t>& value);
