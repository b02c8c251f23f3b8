// The game's own random generator, so that worlds and enemy start places are the same on
// every platform: state = state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
// Main thread only.
#pragma once

#include <cstdint>

/// Largest value gameRand returns.
constexpr int GAME_RAND_MAX = 0x7FFF;

/// Seeds the generator.
void gameSrand(uint32_t seed);

/// Next number from 0 to GAME_RAND_MAX.
int gameRand();
