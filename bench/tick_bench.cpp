#include "bench/tick_bench.h"

#include <memory>
#include <string>
#include <vector>

#include "actors/physics.h"
#include "bench/digging.h"
#include "core/game.h"
#include "world/editing.h"
#include "world/terrain.h"

namespace {

// Ticks run before timing, so that the actors have landed and the solver has settled.
constexpr int SETTLING_TICKS = 120;

// Walking right and jumping now and then, as a player does, so that contacts keep changing.
void steerPlayer(Player& player, int tick) {
    player.keys[keyRight] = 1;
    player.keys[keyUp] = tick % 90 < 2;
}

void timeTicks(BenchTable& table, Game& game, int ticks, const std::string& label) {
    for (int i = 0; i < SETTLING_TICKS; ++i) {
        steerPlayer(game.player, i);
        tickGame(game);
    }
    std::vector<double> samples;
    double worst = 0.0;
    for (int i = 0; i < ticks; ++i) {
        steerPlayer(game.player, i);
        const double start = benchSeconds();
        tickGame(game);
        const double spent = (benchSeconds() - start) * 1000.0;
        samples.push_back(spent);
        worst = spent > worst ? spent : worst;
    }
    addRow(table, "tick (step, player, 25 enemies), " + label, median(samples), "ms", ticks);
    addRow(table, "tick, slowest, " + label, worst, "ms", ticks);
}

} // namespace

void benchGeneration(BenchTable& table, int repetitions) {
    std::unique_ptr<Game> game = std::make_unique<Game>();
    initGame(*game);
    initBlockTypes(game->blockTypes);
    std::vector<double> samples;
    for (int i = 0; i < repetitions; ++i) {
        const double start = benchSeconds();
        generateWorld(game->world, game->blockTypes, game->space, game->random);
        samples.push_back((benchSeconds() - start) * 1000.0);
        clearWorldSegments(game->world, game->space);
    }
    destroyGame(*game);
    addRow(table, "generating a world (720 x 480 cells, ground segments)", median(samples), "ms",
           repetitions);
}

void benchTicks(BenchTable& table, int ticks, int extraSegments) {
    std::unique_ptr<Game> game = std::make_unique<Game>();
    if (!buildHeadlessGame(*game)) {
        return;
    }
    generateSeededWorld(*game, START_SEED);
    spawnEnemiesHere(*game, nullptr);
    timeTicks(table, *game, ticks, "fresh world");
    const int added = addPlayerSegments(*game, extraSegments);
    timeTicks(table, *game, ticks, "+" + std::to_string(added) + " segments dug and built");
    destroyGame(*game);
}
