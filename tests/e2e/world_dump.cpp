// Writes the world that a seed generates, so that an end-to-end test can compare the game's
// picture with it cell by cell. Usage: tellurn-world-dump SEED [OUTPUT]
// Output: the 720 x 480 block ids, column by column, one byte per cell (to OUTPUT, or to
// standard output when no file is named).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

#include "core/game.h"

namespace {

bool parseSeed(const char* text, uint32_t& seed) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (end == text || *end != '\0' || value > UINT32_MAX) {
        return false;
    }
    seed = static_cast<uint32_t>(value);
    return true;
}

// Debian's Chipmunk greets on standard output when the first space is made; with the dump
// going there, its greeting goes to standard error instead.
bool buildQuietGame(Game& game) {
    std::fflush(stdout);
    const int savedStdout = dup(STDOUT_FILENO);
    dup2(STDERR_FILENO, STDOUT_FILENO);
    const bool built = buildHeadlessGame(game);
    std::fflush(stdout);
    dup2(savedStdout, STDOUT_FILENO);
    close(savedStdout);
    return built;
}

bool writeIds(const World& world, std::FILE* out) {
    static uint8_t ids[WORLD_CELLS];
    for (int i = 0; i < WORLD_CELLS; ++i) {
        ids[i] = static_cast<uint8_t>(world.cells[i].id);
    }
    return std::fwrite(ids, 1, WORLD_CELLS, out) == static_cast<size_t>(WORLD_CELLS);
}

} // namespace

int main(int argc, char** argv) {
    uint32_t seed = 0;
    if ((argc != 2 && argc != 3) || !parseSeed(argv[1], seed)) {
        std::fprintf(stderr, "usage: %s SEED [OUTPUT]\n", argv[0]);
        return 2;
    }
    auto game = std::make_unique<Game>();
    if (!buildQuietGame(*game)) {
        std::fprintf(stderr, "%s: the game could not be built\n", argv[0]);
        return 1;
    }
    generateSeededWorld(*game, seed);
    std::FILE* out = argc == 3 ? std::fopen(argv[2], "wb") : stdout;
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    const bool written = writeIds(game->world, out);
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: the world could not be written\n", argv[0]);
        return 1;
    }
    return 0;
}
