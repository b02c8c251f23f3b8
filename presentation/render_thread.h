// The render thread: draws the cells in view, the HUD, the enemies and the player once per tick.
#pragma once

#include <allegro5/allegro.h>
#include <vector>

#include "actors/enemy.h"
#include "actors/player.h"
#include "presentation/view.h"
#include "world/block_types.h"
#include "world/world_grid.h"

struct ALLEGRO_FONT;

/// The render thread's argument record; complete before the thread starts.
struct RenderThreadData {
    /// HUD font.
    ALLEGRO_FONT* font;
    /// The renderer's own mutex, paired with cond.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast by main on every tick and once at shutdown.
    ALLEGRO_COND* cond;
    /// The HUD's 40 x 25 grey button.
    ALLEGRO_BITMAP* buttonBitmap;
    /// The game display.
    ALLEGRO_DISPLAY* display;
    /// Copy of the block-type table, rows in id order.
    BlockTypes blockTypes;
    /// The world grid.
    World* world;
    /// The player record.
    Player* player;
    /// The 25 enemies.
    Enemy* enemies[ENEMY_COUNT];
    /// Guards the world, the player, the enemies and the space, shared with main and the enemies.
    ALLEGRO_MUTEX* stateLock;
};

/// One enemy as the frame draws it.
struct EnemySprite {
    ALLEGRO_BITMAP* bitmap;
    float screenX;
    float screenY;
};

/// Everything one frame draws, copied out of the shared records in one go.
struct FrameSnapshot {
    /// The player as it stood (position, counts, selection, display size).
    Player player;
    /// The view for that position.
    View view;
    /// The cells in view.
    CellRange cells;
    /// Bitmaps of the cells in view, row by row over `cells`.
    std::vector<ALLEGRO_BITMAP*> cellBitmaps;
    /// The enemies; a null bitmap is an enemy not yet spawned.
    EnemySprite enemies[ENEMY_COUNT];
};

/// Copies what a frame draws out of the shared records. The caller holds the state lock.
void takeFrameSnapshot(const World& world, const Player& player, Enemy* const* enemies,
                       FrameSnapshot& snapshot);

/// Draws the cells of a snapshot onto the current target.
void drawSnapshotCells(const FrameSnapshot& snapshot);

/// Draws a whole frame of a snapshot (black, cells, HUD, enemies, player) onto the current target.
void drawFrame(const FrameSnapshot& snapshot, const BlockTypes& blockTypes, ALLEGRO_FONT* font,
               ALLEGRO_BITMAP* buttonBitmap);

/// The render thread's procedure; arg is its RenderThreadData.
void* renderThreadProc(ALLEGRO_THREAD* thread, void* arg);
