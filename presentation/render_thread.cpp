#include "presentation/render_thread.h"

#include <cstdio>

#include "base/worker.h"
#include "presentation/frame_picture.h"
#include "presentation/game_display.h"
#include "presentation/hud.h"

namespace {

// The chunk pictures are made as chunks first need them: this line can come at any frame.
const char* const CACHE_NOT_CREATED = "Failed to create the renderer's chunk bitmaps!\n";
const char* const CACHE_TOO_SMALL = "The renderer has too few chunk bitmaps for its view!\n";

// A picture found unchanged is drawn again after this many ticks all the same, so that a
// window uncovered by another shows the game again within half a second.
constexpr int REDRAW_TICKS = 30;

struct RenderContext {
    RenderThreadData* data;
    ChunkCache cache;
    FrameSnapshot snapshot;
    /// The picture on screen, and the ticks since it was drawn (REDRAW_TICKS before the first).
    FramePicture shown;
    int ticksShown;
};

// Whether the frame just planned would draw what is on screen already.
bool showsTheSame(const RenderContext& context, const FramePicture& picture) {
    return context.ticksShown < REDRAW_TICKS && !paintsChunkInView(context.cache) &&
           samePicture(picture, context.shown);
}

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

    const FramePicture picture = framePicture(context.snapshot);
    const bool same = showsTheSame(context, picture);
    const bool painted = same ? redrawChunks(context.cache) // the chunks painted ahead of time
                              : drawFrame(context.snapshot, context.cache, data.blockTypes,
                                          data.font, data.buttonBitmap);
    if (!painted) {
        data.failure.store(CACHE_NOT_CREATED, std::memory_order_release);
        return;
    }
    if (same) {
        ++context.ticksShown;
    } else {
        al_flip_display();
        context.shown = picture;
        context.ticksShown = 0;
        data.framesFlipped.fetch_add(1, std::memory_order_relaxed);
    }
    data.framesShown.fetch_add(1, std::memory_order_relaxed);
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

bool drawFrame(const FrameSnapshot& snapshot, ChunkCache& cache, const BlockTypes& blockTypes,
               ALLEGRO_FONT* font, ALLEGRO_BITMAP* buttonBitmap) {
    if (!redrawChunks(cache)) {
        return false;
    }
    clearOutsideChunks(cache, snapshot.view);
    al_hold_bitmap_drawing(true);
    drawChunks(cache, snapshot.view);
    drawFrameOverlay(snapshot, blockTypes, font, buttonBitmap);
    al_hold_bitmap_drawing(false);
    return true;
}

void* renderThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    RenderThreadData* data = static_cast<RenderThreadData*>(arg);
    al_set_target_backbuffer(data->display);
    std::printf("Render thread reporting in!\n");
    RenderContext context{data, {}, {}, {}, REDRAW_TICKS};
    // The frames' view has the player's display size, which a full-screen display need not have.
    al_lock_mutex(data->stateLock);
    const int width = data->player->screenWidth;
    const int height = data->player->screenHeight;
    al_unlock_mutex(data->stateLock);
    if (!createChunkCache(context.cache, data->blockTypes, width, height,
                          chunkPicturesBlitted(data->display))) {
        data->failure.store(CACHE_NOT_CREATED, std::memory_order_release);
    }
    // A renderer that failed still waits for the ticks, so that it stops in its turn.
    runWorkerLoop(thread, data->mutex, data->cond, context, renderOneFrame);
    destroyChunkCache(context.cache);
    al_set_target_bitmap(nullptr); // give the display's context back for shutdown
    std::printf("Render thread, shutting down!\n");
    return nullptr;
}
