#include "presentation/render_thread.h"

#include <cstdio>

#include "core/worker.h"
#include "presentation/hud.h"

namespace {

struct RenderContext {
    RenderThreadData* data;
    ChunkCache cache;
    FrameSnapshot snapshot;
};

void renderOneFrame(RenderContext& context) {
    RenderThreadData& data = *context.data;
    al_lock_mutex(data.stateLock);
    takeFrameSnapshot(*data.world, *data.player, data.enemies, context.cache, context.snapshot);
    al_unlock_mutex(data.stateLock);

    drawFrame(context.snapshot, context.cache, data.blockTypes, data.font, data.buttonBitmap);
    al_flip_display();
    data.framesDrawn.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

void snapshotActors(const Player& player, Enemy* const* enemies, FrameSnapshot& snapshot) {
    snapshot.player = player;
    snapshot.view = computeView(player.x, player.y, player.screenWidth, player.screenHeight);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const Enemy& enemy = *enemies[i];
        // Before its first step an enemy's x and y are its start data, not its box.
        snapshot.enemies[i] = {enemy.stepped ? enemy.bitmap : nullptr,
                               viewScreenX(snapshot.view, enemy.x),
                               viewScreenY(snapshot.view, enemy.y)};
    }
}

void takeFrameSnapshot(const World& world, const Player& player, Enemy* const* enemies,
                       ChunkCache& cache, FrameSnapshot& snapshot) {
    snapshotActors(player, enemies, snapshot);
    planChunks(cache, world, snapshot.view, player.screenWidth, player.screenHeight);
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
    al_clear_to_color(al_map_rgb(0, 0, 0));
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
    const bool cached =
        createChunkCache(context.cache, data->blockTypes, al_get_display_width(data->display),
                         al_get_display_height(data->display));
    GAME_ASSERT(cached, "cannot create the chunk bitmaps: the display has no room for textures");
    runWorkerLoop(thread, data->mutex, data->cond, context, renderOneFrame);
    destroyChunkCache(context.cache);
    al_set_target_bitmap(nullptr); // give the display's context back for shutdown
    std::printf("Render thread, shutting down!\n");
    return nullptr;
}
