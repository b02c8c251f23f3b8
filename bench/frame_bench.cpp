#include "bench/frame_bench.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/game.h"
#include "presentation/atlas.h"
#include "presentation/game_display.h"
#include "presentation/render_thread.h"

namespace {

// The view the frames show: following the player on both axes, the ground line in view.
constexpr float VIEW_X = 3600.5f;
constexpr float VIEW_Y = 1190.3f;
// A view deep underground, with no sky to paint by clears: every pixel of the grid is drawn.
constexpr float DEEP_VIEW_Y = 3500.3f;

// What the frames draw at one display size.
struct FrameScene {
    ALLEGRO_DISPLAY* display;
    ALLEGRO_FONT* font;
    // One 10 x 10 bitmap per block image, each its own texture: the newcomer's way.
    ALLEGRO_BITMAP* separate[BLOCK_SWATCH_COUNT];
    ALLEGRO_BITMAP* fullScreen;
    Game game;
    Enemy* enemyRefs[ENEMY_COUNT];
    ChunkCache cache;
    // The same cache with its pictures drawn as bitmaps, as on a Direct3D display or an OpenGL
    // without framebuffer blits.
    ChunkCache drawnCache;
    FrameSnapshot snapshot;
};

bool makeSeparateBitmaps(FrameScene& scene) {
    for (int id = 0; id < BLOCK_TYPE_COUNT; ++id) {
        ALLEGRO_BITMAP*& bitmap = scene.separate[blockTypeSwatch(id)];
        if (bitmap == nullptr) {
            bitmap = al_create_bitmap(BLOCK_SIZE, BLOCK_SIZE);
            if (bitmap == nullptr) {
                return false;
            }
            const BlockColour c = blockTypeColour(id);
            al_set_target_bitmap(bitmap);
            al_clear_to_color(al_map_rgb(c.r, c.g, c.b));
        }
    }
    return true;
}

bool openScene(FrameScene& scene, int width, int height, const char* fontPath) {
    scene.display = createGameDisplay(width, height, ALLEGRO_WINDOWED);
    if (scene.display == nullptr || !createAtlas(scene.game.atlas) || !makeSeparateBitmaps(scene)) {
        return false;
    }
    scene.font = al_load_font(fontPath, 12, 0);
    if (scene.font == nullptr) {
        return false;
    }
    scene.fullScreen = al_create_bitmap(width, height);
    al_set_target_bitmap(scene.fullScreen);
    al_clear_to_color(al_map_rgb(125, 125, 255));
    if (!buildHeadlessGame(scene.game)) {
        return false;
    }
    generateSeededWorld(scene.game, START_SEED);
    spawnEnemiesHere(scene.game, scene.game.atlas.enemy);
    bindAtlasImages(scene.game);
    Player& player = scene.game.player;
    player.x = VIEW_X;
    player.y = VIEW_Y;
    player.screenWidth = width;
    player.screenHeight = height;
    // The enemies in a row across the middle of the view, as if they had stepped there.
    const View view = computeView(player.x, player.y, width, height);
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        Enemy& enemy = scene.game.enemies[i];
        scene.enemyRefs[i] = &enemy;
        enemy.x = static_cast<float>(100.0 + 50.0 * i - view.offsetX);
        enemy.y = static_cast<float>(height / 2.0 - view.offsetY);
        enemy.stepped = 1;
    }
    al_set_target_backbuffer(scene.display);
    return createChunkCache(scene.cache, scene.game.blockTypes, width, height, true) &&
           createChunkCache(scene.drawnCache, scene.game.blockTypes, width, height, false);
}

void closeScene(FrameScene& scene) {
    destroyChunkCache(scene.cache);
    destroyChunkCache(scene.drawnCache);
    destroyGame(scene.game);
    al_destroy_font(scene.font);
    al_destroy_display(scene.display); // its bitmaps go with it
}

void emptyFrame(FrameScene&) {
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_flip_display();
}

// The floor under any way of drawing the grid: one bitmap covering the whole display.
void fullScreenFrame(FrameScene& scene) {
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_draw_bitmap(scene.fullScreen, 0, 0, 0);
    al_flip_display();
}

void straightforwardFrame(FrameScene& scene) {
    snapshotActors(scene.game.player, scene.enemyRefs, scene.snapshot);
    const View& view = scene.snapshot.view;
    const Player& player = scene.game.player;
    al_clear_to_color(al_map_rgb(0, 0, 0));
    al_hold_bitmap_drawing(true);
    const CellRange cells = visibleCells(view, player.screenWidth, player.screenHeight);
    for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
        for (int column = cells.firstColumn; column <= cells.lastColumn; ++column) {
            const int swatch = blockTypeSwatch(cellAt(scene.game.world, column, row).id);
            al_draw_bitmap(scene.separate[swatch], viewScreenX(view, column * BLOCK_SIZE),
                           viewScreenY(view, row * BLOCK_SIZE), 0);
        }
    }
    drawFrameOverlay(scene.snapshot, scene.game.blockTypes, scene.font, scene.game.atlas.button);
    al_hold_bitmap_drawing(false);
    al_flip_display();
}

void frameFromCache(FrameScene& scene, ChunkCache& cache) {
    takeFrameSnapshot(scene.game.world, scene.game.player, scene.enemyRefs, cache, scene.snapshot);
    if (!drawFrame(scene.snapshot, cache, scene.game.blockTypes, scene.font,
                   scene.game.atlas.button)) {
        std::fprintf(stderr, "cannot make a chunk picture: the frames are not measured\n");
        std::exit(1);
    }
    al_flip_display();
}

void gameFrame(FrameScene& scene) {
    frameFromCache(scene, scene.cache);
}

void drawnGameFrame(FrameScene& scene) {
    frameFromCache(scene, scene.drawnCache);
}

// The game's frame on a tick in which the player mines or builds in view: one chunk is drawn
// again from its cells before the frame.
void gameFrameWithEdit(FrameScene& scene) {
    const int column = static_cast<int>(VIEW_X) / BLOCK_SIZE + 3;
    const int row = static_cast<int>(VIEW_Y) / BLOCK_SIZE + 3;
    Block& cell = cellAt(scene.game.world, column, row);
    const int id = cell.id == BLOCK_DIRT ? BLOCK_STONE : BLOCK_DIRT;
    cell.id = id;
    cell.bitmap = blockTemplate(scene.game.blockTypes, id).bitmap;
    markCellChanged(scene.game.world, column, row);
    gameFrame(scene);
}

struct FrameKind {
    const char* name;
    void (*draw)(FrameScene& scene);
};

const FrameKind FRAME_KINDS[] = {
    {"empty frame (clear, flip)", emptyFrame},
    {"one display-sized bitmap (the fill floor)", fullScreenFrame},
    {"straightforward frame (six separate bitmaps)", straightforwardFrame},
    {"game frame (chunk cache)", gameFrame},
    {"game frame, pictures drawn (no framebuffer blits)", drawnGameFrame},
    {"game frame, a cell mined in view (its chunk updated)", gameFrameWithEdit},
};
constexpr int KIND_COUNT = sizeof FRAME_KINDS / sizeof FRAME_KINDS[0];

// The game's frame with the player deep underground, after a few frames that cache its chunks.
std::vector<double> deepFrames(FrameScene& scene, int repetitions) {
    scene.game.player.y = DEEP_VIEW_Y;
    for (int i = 0; i < 10; ++i) {
        gameFrame(scene);
    }
    std::vector<double> samples;
    for (int rep = 0; rep < repetitions; ++rep) {
        const double start = benchSeconds();
        gameFrame(scene);
        samples.push_back((benchSeconds() - start) * 1000.0);
    }
    scene.game.player.y = VIEW_Y;
    return samples;
}

} // namespace

bool benchFrames(BenchTable& table, int width, int height, int repetitions, const char* fontPath) {
    FrameScene* scene = new FrameScene{};
    if (!openScene(*scene, width, height, fontPath)) {
        delete scene;
        return false;
    }
    const double firstStart = benchSeconds();
    gameFrame(*scene); // draws every chunk in view once
    const double firstFrame = (benchSeconds() - firstStart) * 1000.0;
    drawnGameFrame(*scene);
    std::vector<double> samples[KIND_COUNT];
    for (int rep = 0; rep < repetitions; ++rep) {
        for (int kind = 0; kind < KIND_COUNT; ++kind) {
            const double start = benchSeconds();
            FRAME_KINDS[kind].draw(*scene);
            samples[kind].push_back((benchSeconds() - start) * 1000.0);
        }
    }
    const std::vector<double> deep = deepFrames(*scene, repetitions);
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + ": ";
    const double empty = median(samples[0]);
    for (int kind = 0; kind < KIND_COUNT; ++kind) {
        addRow(table, size + FRAME_KINDS[kind].name, median(samples[kind]), "ms", repetitions);
    }
    addRow(table, size + "game frame, deep underground (no sky in view)", median(deep), "ms",
           repetitions);
    addRow(table, size + "game frame, first (all chunks drawn)", firstFrame, "ms", 1);
    addRow(table, size + "straightforward / empty", median(samples[2]) / empty, "x empty",
           repetitions);
    addRow(table, size + "game / empty", median(samples[3]) / empty, "x empty", repetitions);
    addRow(table, size + "game deep underground / empty", median(deep) / empty, "x empty",
           repetitions);
    closeScene(*scene);
    delete scene;
    return true;
}
