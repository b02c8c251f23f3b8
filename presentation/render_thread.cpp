#include "presentation/render_thread.h"

#include <cstdio>

#include "core/worker.h"
#include "presentation/hud.h"

namespace {

struct RenderContext {
    RenderThreadData* data;
    FrameSnapshot snapshot;
};

void renderOneFrame(RenderContext& context) {
    RenderThreadData& data = *context.data;
    al_lock_mutex(data.stateLock);
    takeFrameSnapshot(*data.world, *data.player, data.enemies, context.snapshot);
    al_unlock_mutex(data.stateLock);

    drawFrame(context.snapshot, data.blockTypes, data.font, data.buttonBitmap);
    al_flip_display();
}

} // namespace

void takeFrameSnapshot(const World& world, const Player& player, Enemy* const* enemies,
                       FrameSnapshot& snapshot) {
    snapshot.player = player;
    snapshot.view = computeView(player.x, player.y, player.screenWidth, player.screenHeight);
    snapshot.cells = visibleCells(snapshot.view, player.screenWidth, player.screenHeight);
    snapshot.cellBitmaps.clear();
    const CellRange& cells = snapshot.cells;
    for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (int column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            snapshot.cellBitmaps.push_back(cellAt(world, column, row).bitmap);
        }
    }
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        snapshot.enemies[i] = {enemies[i]->bitmap, enemies[i]->screenX, enemies[i]->screenY};
    }
}

void drawSnapshotCells(const FrameSnapshot& snapshot) {
    const CellRange& cells = snapshot.cells;
    size_t next = 0;
    for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
        const int screenY = viewScreenY(snapshot.view, row * BLOCK_SIZE);
        for (int column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            al_draw_bitmap(snapshot.cellBitmaps[next++],
                           viewScreenX(snapshot.view, column * BLOCK_SIZE), screenY, 0);
        }
    }
}

void drawFrame(const FrameSnapshot& snapshot, const BlockTypes& blockTypes, ALLEGRO_FONT* font,
               ALLEGRO_BITMAP* buttonBitmap) {
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_hold_bitmap_drawing(true);
    drawSnapshotCells(snapshot);
    drawHud(snapshot.player, blockTypes, font, buttonBitmap);
    for (const EnemySprite& enemy : snapshot.enemies) {
        if (enemy.bitmap != nullptr) {
            al_draw_bitmap(enemy.bitmap, screenPixel(enemy.screenX), screenPixel(enemy.screenY),
                           0);
        }
    }
    const Player& player = snapshot.player;
    al_draw_bitmap(player.bitmap, viewScreenX(snapshot.view, player.x),
                   viewScreenY(snapshot.view, player.y), 0);
    al_hold_bitmap_drawing(false);
}

void* renderThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    RenderThreadData* data = static_cast<RenderThreadData*>(arg);
    al_set_target_backbuffer(data->display);
    std::printf("Render thread reporting in!\n");
    RenderContext context{data, {}};
    runWorkerLoop(thread, data->mutex, data->cond, context, renderOneFrame);
    al_set_target_bitmap(nullptr); // give the display's context back for shutdown
    std::printf("Render thread, shutting down!\n");
    return nullptr;
}
