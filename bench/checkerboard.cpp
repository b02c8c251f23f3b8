#include "bench/checkerboard.h"

#include <memory>

#include "base/file_system.h"

#include "world/block_types.h"
#include "world/player_record.h"
#include "world/save_codec.h"
#include "world/save_file.h"

namespace {

constexpr float PLAYER_LEFT = 30.0f;

int checkerboardBlock(int column, int row, int lastRow) {
    if (row < CHECKERBOARD_FLOOR_ROW) {
        return BLOCK_AIR;
    }
    if (row == WORLD_ROWS - 1) {
        return BLOCK_NULL;
    }
    if (row == CHECKERBOARD_FLOOR_ROW || row > lastRow) {
        return BLOCK_STONE;
    }
    return (column + row) % 2 == 0 ? BLOCK_STONE : BLOCK_AIR;
}

} // namespace

bool writeCheckerboardSave(const std::string& directory, int lastRow, std::string& problem) {
    BlockTypes blockTypes;
    initBlockTypes(blockTypes);
    const std::unique_ptr<World> world = std::make_unique<World>();
    for (int column = 0; column < WORLD_COLUMNS; ++column) {
        for (int row = 0; row < WORLD_ROWS; ++row) {
            Block& cell = cellAt(*world, column, row);
            cell = blockTemplate(blockTypes, checkerboardBlock(column, row, lastRow));
            cell.x = static_cast<float>(column * BLOCK_SIZE);
            cell.y = static_cast<float>(row * BLOCK_SIZE);
        }
    }
    Player player{};
    player.x = PLAYER_LEFT;
    player.y = static_cast<float>(CHECKERBOARD_FLOOR_ROW * BLOCK_SIZE - ACTOR_HEIGHT);
    player.canJump = 1;
    player.selectedBlock = 1;
    return writeWorldSave(directory, *world, player, blockTypes, problem);
}

bool writeWorldSave(const std::string& directory, const World& world, const Player& player,
                    const BlockTypes& blockTypes, std::string& problem) {
    // Written as the game writes its saves, flushed and renamed into place; never over a save
    // that is there already, which may be a player's.
    SaveFolder folder;
    folder.directory = directory;
    const std::string path = savePaths(directory).save;
    if (lookAtFile(path).kind != KIND_NOTHING) {
        problem = path + " is there already: move it away first";
        return false;
    }
    SavedCells cells;
    snapshotCells(world, cells);
    const SaveOutcome outcome = writeSave(cells, player, blockTypes, folder);
    problem = outcome.problem;
    return outcome.saved;
}
