// The render thread: draws the cells in view, the HUD, the enemies and the player once per tick,
// unless the frame would show what the screen shows already.
#pragma once

#include <allegro5/allegro.h>
#include <atomic>
#include <cstdint>

#include "actors/enemy.h"
#include "actors/view.h"
#include "presentation/chunk_cache.h"
#include "world/block_types.h"
#include "world/player_record.h"
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
    /// Frames finished so far, flipped or found to show what the screen shows already; written
    /// by the render thread only, for measuring its pace.
    std::atomic<uint64_t> framesShown;
    /// Of those, the frames drawn and flipped.
    std::atomic<uint64_t> framesFlipped;
    /// The console line saying why the renderer cannot draw, or null while it can. Set once by
    /// the render thread, which then draws nothing more; main reads it and ends the game.
    std::atomic<const char*> failure;
};

/// One enemy as the frame draws it.
struct EnemySprite {
    /// The enemy's image; null for an enemy that is not drawn (it has not made a step yet).
    ALLEGRO_BITMAP* bitmap;
    /// Screen pixel of the box's left edge, by the frame's view.
    int screenX;
    /// Screen pixel of the box's top edge, by the frame's view.
    int screenY;
};

/// Everything one frame draws, copied out of the shared records in one go. The cells that
/// changed travel in the chunk cache's plan.
struct FrameSnapshot {
    /// The player as it stood (position, counts, selection, display size).
    Player player;
    /// The view for that position.
    View view;
    /// The enemies, placed by the frame's view.
    EnemySprite enemies[ENEMY_COUNT];
};

/// Copies the player and the view out of the shared records, and places each enemy that has made
/// a step from its position by that same view, as the player and the cells are placed. The
/// caller holds the state lock.
void snapshotActors(const Player& player, Enemy* const* enemies, FrameSnapshot& snapshot);

/// Copies what a frame draws out of the shared records and plans the chunks it shows, copying
/// the cells of those that changed. The caller holds the state lock. Returns false when the
/// cache has too few bitmaps for the view (see planChunks).
bool takeFrameSnapshot(const World& world, const Player& player, Enemy* const* enemies,
                       ChunkCache& cache, FrameSnapshot& snapshot);

/// Draws what lies over the grid (HUD, enemies, player) onto the current target.
void drawFrameOverlay(const FrameSnapshot& snapshot, const BlockTypes& blockTypes,
                      ALLEGRO_FONT* font, ALLEGRO_BITMAP* buttonBitmap);

/// Draws a whole frame of a snapshot (the grid from its chunks, black where there is none, HUD,
/// enemies, player) inside the current target's clipping rectangle, first painting again the
/// chunks that changed (redrawChunks). Returns false, having drawn nothing, when a chunk's
/// picture cannot be made.
bool drawFrame(const FrameSnapshot& snapshot, ChunkCache& cache, const BlockTypes& blockTypes,
               ALLEGRO_FONT* font, ALLEGRO_BITMAP* buttonBitmap);

/// The render thread's procedure; arg is its RenderThreadData.
void* renderThreadProc(ALLEGRO_THREAD* thread, void* arg);
