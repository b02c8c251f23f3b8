// The game's own random generator, so that worlds and enemy start places are the same on
// every platform: state = state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
// The game keeps one in its Game record and draws from it on the main thread only.
#pragma once

#include <cstdint>

/// Largest value gameRand returns.
constexpr int GAME_RAND_MAX = 0x7FFF;

/// The generator's whole state.
struct GameRandom {
    uint32_t state;
};

void gameSrand(GameRandom& random, uint32_t seed);

/// Next number from 0 to GAME_RAND_MAX.
int gameRand(GameRandom& random);
