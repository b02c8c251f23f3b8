#include "bench/tick_bench.h"

#include <memory>
#include <string>
#include <vector>

#include "actors/physics.h"
#include "bench/bench_world.h"
#include "core/game_random.h"
#include "world/terrain.h"

namespace {

// Ticks run before timing, so that the actors have landed and the solver has settled.
constexpr int SETTLING_TICKS = 120;

// Walking right and jumping now and then, as a player does, so that contacts keep changing.
void steerPlayer(Player& player, int tick) {
    player.keys[keyRight] = 1;
    player.keys[keyUp] = tick % 90 < 2;
}

void timeTicks(BenchTable& table, BenchWorld& state, int ticks, const std::string& label) {
    for (int i = 0; i < SETTLING_TICKS; ++i) {
        steerPlayer(state.player, i);
        benchTick(state);
    }
    std::vector<double> samples;
    double worst = 0.0;
    for (int i = 0; i < ticks; ++i) {
        steerPlayer(state.player, i);
        const double start = benchSeconds();
        benchTick(state);
        const double spent = (benchSeconds() - start) * 1000.0;
        samples.push_back(spent);
        worst = spent > worst ? spent : worst;
    }
    addRow(table, "tick (step, player, 25 enemies), " + label, median(samples), "ms", ticks);
    addRow(table, "tick, slowest, " + label, worst, "ms", ticks);
}

} // namespace

void benchGeneration(BenchTable& table, int repetitions) {
    std::unique_ptr<World> world = std::make_unique<World>();
    BlockTypes blockTypes{};
    initBlockTypes(blockTypes);
    std::vector<double> samples;
    for (int i = 0; i < repetitions; ++i) {
        cpSpace* space = createSpace();
        const double start = benchSeconds();
        generateWorld(*world, blockTypes, space);
        samples.push_back((benchSeconds() - start) * 1000.0);
        cpSpaceFree(space);
    }
    addRow(table, "generating a world (720 x 480 cells, ground segments)", median(samples), "ms",
           repetitions);
}

void benchTicks(BenchTable& table, int ticks, int extraSegments) {
    BenchWorld* state = new BenchWorld{};
    createBenchWorld(*state, 463457);
    spawnBenchEnemies(*state, nullptr);
    timeTicks(table, *state, ticks, "fresh world");
    const int added = addPlayerSegments(*state, extraSegments);
    timeTicks(table, *state, ticks, "+" + std::to_string(added) + " segments dug and built");
    destroyBenchWorld(*state);
    delete state;
}
