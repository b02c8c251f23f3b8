#include "base/game_random.h"

void gameSrand(GameRandom& random, uint32_t seed) {
    random.state = seed;
}

int gameRand(GameRandom& random) {
    random.state = random.state * 214013u + 2531011u;
    return static_cast<int>((random.state >> 16) & 0x7FFF);
}
