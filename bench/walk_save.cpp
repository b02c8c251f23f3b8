#include "bench/walk_save.h"

#include <memory>

#include "bench/checkerboard.h"
#include "core/game.h"
#include "world/actor_box.h"

namespace {

// Half of the widest screen measured, and a cell's worth more.
constexpr int PLAYER_COLUMN = 200;

// The top row of the first solid cell under the player's two columns.
int groundRow(const World& world, int column) {
    for (int row = 0; row < WORLD_ROWS; ++row) {
        if (!cellAt(world, column, row).passable || !cellAt(world, column + 1, row).passable) {
            return row;
        }
    }
    return WORLD_ROWS - 1;
}

} // namespace

bool writeWalkSave(const std::string& directory, std::string& problem) {
    const std::unique_ptr<Game> game = std::make_unique<Game>();
    if (!buildHeadlessGame(*game)) {
        problem = "cannot build a game";
        return false;
    }
    generateSeededWorld(*game, START_SEED);
    Player player = game->player;
    player.x = static_cast<float>(PLAYER_COLUMN * BLOCK_SIZE);
    player.y =
        static_cast<float>(groundRow(game->world, PLAYER_COLUMN) * BLOCK_SIZE - ACTOR_HEIGHT);
    player.canJump = 1;
    player.selectedBlock = 1;
    const bool written = writeWorldSave(directory, game->world, player, game->blockTypes, problem);
    destroyGame(*game);
    return written;
}
