// Mouse presses in the game: the left button mines the cell drawn under the pointer or works
// the HUD button under it, any other button places the selected block.
#pragma once

#include <allegro5/events.h>
#include <chipmunk/chipmunk.h>
#include <string>

#include "actors/enemy.h"
#include "actors/player.h"
#include "world/block_types.h"
#include "world/world_grid.h"

struct ALLEGRO_MUTEX;

/// Mouse button that mines and works the HUD buttons.
constexpr unsigned MINING_BUTTON = 1;

/// What a mouse press works on.
struct MouseTargets {
    /// The grid.
    World& world;
    /// The block templates.
    const BlockTypes& blockTypes;
    /// The player: its position and display size pick the cell; its stock pays for blocks.
    Player& player;
    /// The space whose static body carries the world's segments.
    cpSpace* space;
    /// Held while the press changes the world, so that no worker sees it half-changed.
    ALLEGRO_MUTEX* stateLock;
    /// The directory of the save file.
    std::string saveDirectory;
    /// The enemies, which a load must not leave inside rock; none when null.
    Enemy* enemies = nullptr;
    /// Number of records at enemies.
    int enemyCount = 0;
};

/// Handles one ALLEGRO_EVENT_MOUSE_BUTTON_DOWN: a left press inside a HUD button saves or loads
/// (a loaded world then lifts the actors out of its rock) and does nothing else; otherwise the
/// press mines (left) or places (other buttons) in the cell drawn under the pointer. A pixel
/// that shows no cell of the grid is ignored.
void handleMouseDown(ALLEGRO_EVENT event, MouseTargets& targets);
