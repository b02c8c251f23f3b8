#include "presentation/render_thread.h"

#include <cstdio>

#include "base/worker.h"
#include "presentation/hud.h"

namespace {

const char* const CACHE_NOT_CREATED = "Failed to create the renderer's chunk bitmaps!\n";
const char* const CACHE_TOO_SMALL = "The renderer has too few chunk bitmaps for its view!\n";

struct RenderContext {
    RenderThreadData* data;
    ChunkCache cache;
    FrameSnapshot snapshot;
};

void renderOneFrame(RenderContext& context) {
    RenderThreadData& data = *context.data;
    if (data.failure.load(std::memory_order_relaxed) != nullptr) {
        return; // main is ending the game
    }
    al_lock_mutex(data.stateLock);
    const bool planned =
        takeFrameSnapshot(*data.world, *data.player, data.enemies, context.cache, context.snapshot);
    al_unlock_mutex(data.stateLock);
    if (!planned) {
        data.failure.store(CACHE_TOO_SMALL, std::memory_order_release);
        return;
    }

    drawFrame(context.snapshot, context.cache, data.blockTypes, data.font, data.buttonBitmap);
    al_flip_display();
    data.framesDrawn.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

void snapshotActors(const Player& player, Enemy* const* enemies, FrameSnapshot& snapshot) {
    snapshot.player = player;
    snapshot.view = playerView(player);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const Enemy& enemy = *enemies[i];
        // Before its first step an enemy's x and y are its start data, not its box.
        snapshot.enemies[i] = {enemy.stepped ? enemy.bitmap : nullptr,
                               viewScreenX(snapshot.view, enemy.x),
                               viewScreenY(snapshot.view, enemy.y)};
    }
}

bool takeFrameSnapshot(const World& world, const Player& player, Enemy* const* enemies,
                       ChunkCache& cache, FrameSnapshot& snapshot) {
    snapshotActors(player, enemies, snapshot);
    return planChunks(cache, world, snapshot.view, player.screenWidth, player.screenHeight);
}

void drawFrameOverlay(const FrameSnapshot& snapshot, const BlockTypes& blockTypes,
                      ALLEGRO_FONT* font, ALLEGRO_BITMAP* buttonBitmap) {
    drawHud(snapshot.player, blockTypes, font, buttonBitmap);
    for (const EnemySprite& enemy : snapshot.enemies) {
        if (enemy.bitmap != nullptr) {
            al_draw_bitmap(enemy.bitmap, enemy.screenX, enemy.screenY, 0);
        }
    }
    const Player& player = snapshot.player;
    al_draw_bitmap(player.bitmap, viewScreenX(snapshot.view, player.x),
                   viewScreenY(snapshot.view, player.y), 0);
}

void drawFrame(const FrameSnapshot& snapshot, ChunkCache& cache, const BlockTypes& blockTypes,
               ALLEGRO_FONT* font, ALLEGRO_BITMAP* buttonBitmap) {
    redrawChunks(cache);
    clearOutsideChunks(cache, snapshot.view);
    al_hold_bitmap_drawing(true);
    drawChunks(cache, snapshot.view);
    drawFrameOverlay(snapshot, blockTypes, font, buttonBitmap);
    al_hold_bitmap_drawing(false);
}

void* renderThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    RenderThreadData* data = static_cast<RenderThreadData*>(arg);
    al_set_target_backbuffer(data->display);
    std::printf("Render thread reporting in!\n");
    RenderContext context{data, {}, {}};
    // The frames' view has the player's display size, which a full-screen display need not have.
    al_lock_mutex(data->stateLock);
    const int width = data->player->screenWidth;
    const int height = data->player->screenHeight;
    al_unlock_mutex(data->stateLock);
    if (!createChunkCache(context.cache, data->blockTypes, width, height)) {
        data->failure.store(CACHE_NOT_CREATED, std::memory_order_release);
    }
    // A renderer that failed still waits for the ticks, so that it stops in its turn.
    runWorkerLoop(thread, data->mutex, data->cond, context, renderOneFrame);
    destroyChunkCache(context.cache);
    al_set_target_bitmap(nullptr); // give the display's context back for shutdown
    std::printf("Render thread, shutting down!\n");
    return nullptr;
}
