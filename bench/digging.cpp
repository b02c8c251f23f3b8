#include "bench/digging.h"

#include "actors/physics.h"
#include "world/editing.h"

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

bool mineAt(Game& game, int column, int row) {
    reachCell(game.player, column, row);
    return mineCell(game.world, game.blockTypes, game.player, game.space, column, row);
}

bool placeAt(Game& game, int column, int row) {
    reachCell(game.player, column, row);
    game.player.selectedBlock = 1; // dirt: mining keeps the stock of it full
    return placeBlock(game.world, game.blockTypes, game.player, game.space, column, row);
}

void digShaft(Game& game, int lastRow) {
    for (int row = LAST_SKY_ROW + 1; row <= lastRow; ++row) {
        mineAt(game, SHAFT_COLUMN, row);
    }
}

// One tunnel to the right of the shaft; every fourth cell is built up again as a pillar.
void digTunnel(Game& game, int row, int target, int base) {
    for (int column = SHAFT_COLUMN + 1; column < SHAFT_COLUMN + TUNNEL_LENGTH; ++column) {
        if (staticShapeCount(game.space) - base >= target) {
            return;
        }
        mineAt(game, column, row);
        if (column % 4 == 0 && column > SHAFT_COLUMN + 2) {
            placeAt(game, column - 1, row);
        }
    }
}

} // namespace

int addPlayerSegments(Game& game, int extra) {
    const Player saved = game.player;
    const int base = staticShapeCount(game.space);
    const int lastRow = WORLD_ROWS - 3;
    digShaft(game, lastRow);
    for (int row = FIRST_TUNNEL_ROW; row <= lastRow; row += TUNNEL_SPACING) {
        digTunnel(game, row, extra, base);
    }
    // The player goes back to where its body is; only its stock keeps the digging's traces.
    const Player dug = game.player;
    game.player = saved;
    game.player.dirtCount = dug.dirtCount;
    return staticShapeCount(game.space) - base;
}
