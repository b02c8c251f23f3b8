#include "bench/bench_world.h"

#include "actors/physics.h"
#include "core/game_random.h"
#include "world/editing.h"
#include "world/terrain.h"

namespace {

// Tunnels start from a shaft at this column and run right, every third row from the first.
constexpr int SHAFT_COLUMN = 20;
constexpr int FIRST_TUNNEL_ROW = 200;
constexpr int TUNNEL_SPACING = 3;
constexpr int TUNNEL_LENGTH = 600;

// Puts the player's record within reach of a cell, as a player standing next to it would be.
void reachCell(Player& player, int column, int row) {
    player.x = static_cast<float>(column * BLOCK_SIZE);
    player.y = static_cast<float>(row * BLOCK_SIZE - BLOCK_SIZE);
}

bool mineAt(BenchWorld& state, int column, int row) {
    reachCell(state.player, column, row);
    return mineCell(*state.world, state.blockTypes, state.player, state.space, column, row);
}

bool placeAt(BenchWorld& state, int column, int row) {
    reachCell(state.player, column, row);
    state.player.selectedBlock = 1; // dirt: mining keeps the stock of it full
    return placeBlock(*state.world, state.blockTypes, state.player, state.space, column, row);
}

void digShaft(BenchWorld& state, int lastRow) {
    for (int row = LAST_SKY_ROW + 1; row <= lastRow; ++row) {
        mineAt(state, SHAFT_COLUMN, row);
    }
}

// One tunnel to the right of the shaft; every fourth cell is built up again as a pillar.
void digTunnel(BenchWorld& state, int row, int target, int base) {
    for (int column = SHAFT_COLUMN + 1; column < SHAFT_COLUMN + TUNNEL_LENGTH; ++column) {
        if (staticShapeCount(state.space) - base >= target) {
            return;
        }
        mineAt(state, column, row);
        if (column % 4 == 0 && column > SHAFT_COLUMN + 2) {
            placeAt(state, column - 1, row);
        }
    }
}

} // namespace

void createBenchWorld(BenchWorld& state, uint32_t seed) {
    state.space = createSpace();
    state.world = std::make_unique<World>();
    state.player = Player{};
    initPlayer(state.player, state.space);
    createWorldWalls(state.space);
    initBlockTypes(state.blockTypes);
    gameSrand(seed);
    generateTerrain(*state.world, state.blockTypes, state.space);
    for (Enemy& enemy : state.enemies) {
        enemy = Enemy{};
        enemy.x = drawEnemyStartX();
    }
}

void spawnBenchEnemies(BenchWorld& state, ALLEGRO_BITMAP* enemyBitmap) {
    for (Enemy& enemy : state.enemies) {
        spawnEnemy(enemy, state.player, state.space, enemyBitmap);
    }
}

void destroyBenchWorld(BenchWorld& state) {
    cpSpaceFree(state.space);
    state.space = nullptr;
}

void benchTick(BenchWorld& state) {
    advancePlayerTick(state.space, state.player, *state.world);
    for (Enemy& enemy : state.enemies) {
        stepEnemy(enemy, state.player, *state.world);
    }
}

int addPlayerSegments(BenchWorld& state, int extra) {
    const Player saved = state.player;
    const int base = staticShapeCount(state.space);
    const int lastRow = WORLD_ROWS - 3;
    digShaft(state, lastRow);
    for (int row = FIRST_TUNNEL_ROW; row <= lastRow; row += TUNNEL_SPACING) {
        digTunnel(state, row, extra, base);
    }
    // The player goes back to where its body is; only its stock keeps the digging's traces.
    const Player dug = state.player;
    state.player = saved;
    state.player.dirtCount = dug.dirtCount;
    return staticShapeCount(state.space) - base;
}
