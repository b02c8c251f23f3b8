// Invariant checks that stay on in every build: a broken invariant stops the game at once
// with a message saying what went wrong, instead of corrupting the world or the save.
#pragma once

#include <cstdio>
#include <cstdlib>

#define GAME_ASSERT(condition, message)                                                            \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__,         \
                         message, #condition);                                                     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)
