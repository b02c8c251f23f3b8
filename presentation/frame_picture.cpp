#include "presentation/frame_picture.h"

#include <allegro5/allegro.h>

#include "presentation/render_thread.h"

namespace {

bool samePlace(const SpritePlace& a, const SpritePlace& b) {
    return a.bitmap == b.bitmap && a.x == b.x && a.y == b.y;
}

bool chunkInView(const ChunkCache& cache, int chunk) {
    const int column = chunk / CHUNK_ROWS;
    const int row = chunk % CHUNK_ROWS;
    const CellRange& seen = cache.visible;
    return column >= seen.firstColumn && column <= seen.lastColumn && row >= seen.firstRow &&
           row <= seen.lastRow;
}

// Whether any pixel of a drawn enemy falls on a width x height screen: one wholly off it (on
// its way from far away, mostly) changes nothing on screen when it moves.
bool onScreen(const EnemySprite& enemy, int width, int height) {
    return enemy.bitmap != nullptr && enemy.screenX < width &&
           enemy.screenX + al_get_bitmap_width(enemy.bitmap) > 0 && enemy.screenY < height &&
           enemy.screenY + al_get_bitmap_height(enemy.bitmap) > 0;
}

} // namespace

FramePicture framePicture(const FrameSnapshot& snapshot) {
    const Player& player = snapshot.player;
    FramePicture picture{};
    picture.offsetX = screenPixel(snapshot.view.offsetX);
    picture.offsetY = screenPixel(snapshot.view.offsetY);
    picture.width = player.screenWidth;
    picture.height = player.screenHeight;
    for (int kind = 0; kind < BLOCK_KIND_COUNT; ++kind) {
        picture.counts[kind] = player.*BLOCK_KINDS[kind].count;
    }
    picture.selectedBlock = player.selectedBlock;
    picture.player = {player.bitmap, viewScreenX(snapshot.view, player.x),
                      viewScreenY(snapshot.view, player.y)};
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        const EnemySprite& enemy = snapshot.enemies[i];
        if (onScreen(enemy, picture.width, picture.height)) {
            picture.enemies[i] = {enemy.bitmap, enemy.screenX, enemy.screenY};
        }
    }
    return picture;
}

bool samePicture(const FramePicture& a, const FramePicture& b) {
    bool same = a.offsetX == b.offsetX && a.offsetY == b.offsetY && a.width == b.width &&
                a.height == b.height && a.selectedBlock == b.selectedBlock &&
                samePlace(a.player, b.player);
    for (int kind = 0; kind < BLOCK_KIND_COUNT; ++kind) {
        same = same && a.counts[kind] == b.counts[kind];
    }
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        same = same && samePlace(a.enemies[i], b.enemies[i]);
    }
    return same;
}

bool paintsChunkInView(const ChunkCache& cache) {
    for (const ChunkRedraw& redraw : cache.redraws) {
        if (chunkInView(cache, cache.slots[redraw.slot].chunk)) {
            return true;
        }
    }
    return false;
}
