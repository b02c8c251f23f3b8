// The grid drawn from the chunk cache must look exactly as if every visible cell were drawn on
// its own: each frame is drawn both ways into bitmaps of a display's size and compared pixel
// for pixel. Needs an X display (run it through run_under_xvfb.sh).
#include <algorithm>
#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_ttf.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "presentation/atlas.h"
#include "presentation/chunk_cache.h"
#include "presentation/game_display.h"
#include "presentation/render_thread.h"
#include "test_game.h"

namespace {

struct DisplaySize {
    int width, height;
};

// The start menu's three sizes and a monitor-sized one whose halves are not multiples of ten.
const DisplaySize SIZES[] = {{1280, 800}, {1440, 900}, {1680, 1050}, {1366, 768}};

// Everything a frame needs besides the world, made once on a small display.
struct Screen {
    ALLEGRO_DISPLAY* display = nullptr;
    ALLEGRO_FONT* font = nullptr;
    Atlas atlas{};
};

// The run's one screen, made by the suite's set-up.
Screen& screen() {
    static Screen made;
    return made;
}

long differingPixels(ALLEGRO_BITMAP* a, ALLEGRO_BITMAP* b, std::string& first);

class ChunkCacheDrawing : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(al_init());
        ASSERT_TRUE(al_init_font_addon());
        ASSERT_TRUE(al_init_ttf_addon());
        screen().display = createGameDisplay(320, 200, 0);
        ASSERT_NE(nullptr, screen().display) << "no X display: run through run_under_xvfb.sh";
        ASSERT_TRUE(createAtlas(screen().atlas));
        screen().font = al_load_font(TELLURN_SOURCE_DIR "/data/arial.ttf", 12, 0);
        ASSERT_NE(nullptr, screen().font);
    }

    void SetUp() override {
        ASSERT_NE(nullptr, screen().font) << "the suite's set-up failed";
        bindBlockBitmaps(game.blockTypes, screen().atlas.blockSwatches);
        game.generate(463457);
        player.bitmap = screen().atlas.player;
        player.dirtCount = 3;
        player.goldCount = 12;
        player.selectedBlock = 2;
        for (int i = 0; i < ENEMY_COUNT; ++i) {
            enemies[i].bitmap = screen().atlas.enemy;
            enemyRefs[i] = &enemies[i];
        }
    }

    // Places the player, and the enemies around it (some over the HUD and the screen's edges).
    void placePlayer(const DisplaySize& size, float x, float y) {
        player.x = x;
        player.y = y;
        player.screenWidth = size.width;
        player.screenHeight = size.height;
        const View view = computeView(x, y, size.width, size.height);
        for (int i = 0; i < ENEMY_COUNT; ++i) {
            enemies[i].x = static_cast<float>(-5.5 + i * (size.width / 24.0) - view.offsetX);
            enemies[i].y = static_cast<float>((i % 5) * (size.height / 4.0) - 3.25 - view.offsetY);
            enemies[i].stepped = 1;
        }
    }

    // The same cell as a mining or placing click makes it: a new template, its chunk bumped.
    void changeCell(int column, int row, int id) {
        game.setCell(column, row, id);
        markCellChanged(*game.world, column, row);
    }

    // The frame as the render thread draws it.
    void drawCached(ChunkCache& cache, ALLEGRO_BITMAP* target) {
        FrameSnapshot snapshot{};
        EXPECT_TRUE(takeFrameSnapshot(*game.world, player, enemyRefs, cache, snapshot));
        al_set_target_bitmap(target);
        EXPECT_TRUE(
            drawFrame(snapshot, cache, game.blockTypes, screen().font, screen().atlas.button));
    }

    // The frame drawn the plain way: every visible cell on its own, then the same overlay.
    void drawCellByCell(ALLEGRO_BITMAP* target) {
        FrameSnapshot snapshot{};
        snapshotActors(player, enemyRefs, snapshot);
        al_set_target_bitmap(target);
        al_clear_to_color(al_map_rgb(0, 0, 0));
        al_hold_bitmap_drawing(true);
        const CellRange cells =
            visibleCells(snapshot.view, player.screenWidth, player.screenHeight);
        for (int row = cells.firstRow; row <= cells.lastRow; ++row) {
            for (int column = cells.firstColumn; column <= cells.lastColumn; ++column) {
                al_draw_bitmap(cellAt(*game.world, column, row).bitmap,
                               viewScreenX(snapshot.view, column * BLOCK_SIZE),
                               viewScreenY(snapshot.view, row * BLOCK_SIZE), 0);
            }
        }
        drawFrameOverlay(snapshot, game.blockTypes, screen().font, screen().atlas.button);
        al_hold_bitmap_drawing(false);
    }

    // Places the player, draws the frame both ways and expects no pixel to differ.
    void expectSameFrame(const DisplaySize& size, ChunkCache& cache, ALLEGRO_BITMAP* cached,
                         ALLEGRO_BITMAP* plain, float x, float y, const char* what) {
        placePlayer(size, x, y);
        drawCached(cache, cached);
        drawCellByCell(plain);
        std::string first;
        EXPECT_EQ(0L, differingPixels(cached, plain, first))
            << what << ", " << size.width << " x " << size.height << " at (" << x << ", " << y
            << "), first at " << first;
    }

    TestGame game;
    Player player{};
    Enemy enemies[ENEMY_COUNT]{};
    Enemy* enemyRefs[ENEMY_COUNT]{};
};

// Number of pixels that differ; `first` describes the first of them.
long differingPixels(ALLEGRO_BITMAP* a, ALLEGRO_BITMAP* b, std::string& first) {
    const int width = al_get_bitmap_width(a);
    const int height = al_get_bitmap_height(a);
    ALLEGRO_LOCKED_REGION* ra =
        al_lock_bitmap(a, ALLEGRO_PIXEL_FORMAT_ABGR_8888, ALLEGRO_LOCK_READONLY);
    ALLEGRO_LOCKED_REGION* rb =
        al_lock_bitmap(b, ALLEGRO_PIXEL_FORMAT_ABGR_8888, ALLEGRO_LOCK_READONLY);
    long count = 0;
    for (int y = 0; y < height; ++y) {
        const uint32_t* pa = reinterpret_cast<const uint32_t*>(static_cast<const char*>(ra->data) +
                                                               static_cast<long>(y) * ra->pitch);
        const uint32_t* pb = reinterpret_cast<const uint32_t*>(static_cast<const char*>(rb->data) +
                                                               static_cast<long>(y) * rb->pitch);
        if (std::memcmp(pa, pb, sizeof(uint32_t) * width) == 0) {
            continue;
        }
        for (int x = 0; x < width; ++x) {
            if (pa[x] != pb[x]) {
                if (count++ == 0) {
                    char text[96];
                    std::snprintf(text, sizeof text, "(%d, %d): %08x, cell by cell %08x", x, y,
                                  pa[x], pb[x]);
                    first = text;
                }
            }
        }
    }
    al_unlock_bitmap(a);
    al_unlock_bitmap(b);
    return count;
}

// Pixels of the grid's sky colour: a picture that is all black would compare equal too.
long skyPixels(ALLEGRO_BITMAP* bitmap) {
    const BlockColour sky = blockTypeColour(BLOCK_AIR);
    ALLEGRO_LOCKED_REGION* region =
        al_lock_bitmap(bitmap, ALLEGRO_PIXEL_FORMAT_ABGR_8888, ALLEGRO_LOCK_READONLY);
    long count = 0;
    for (int y = 0; y < al_get_bitmap_height(bitmap); ++y) {
        const uint8_t* row =
            static_cast<const uint8_t*>(region->data) + static_cast<long>(y) * region->pitch;
        for (int x = 0; x < al_get_bitmap_width(bitmap); ++x) {
            const uint8_t* p = row + 4 * x;
            count += p[0] == sky.r && p[1] == sky.g && p[2] == sky.b;
        }
    }
    al_unlock_bitmap(bitmap);
    return count;
}

// Two display-sized targets and a chunk cache for that display.
struct Targets {
    ALLEGRO_BITMAP* cached;
    ALLEGRO_BITMAP* plain;
    ChunkCache* cache;
    Targets(const DisplaySize& size, const BlockTypes& blockTypes, bool blits = true)
        : cached(al_create_bitmap(size.width, size.height)),
          plain(al_create_bitmap(size.width, size.height)), cache(new ChunkCache{}) {
        EXPECT_TRUE(createChunkCache(*cache, blockTypes, size.width, size.height, blits));
    }
    ~Targets() {
        destroyChunkCache(*cache);
        delete cache;
        al_destroy_bitmap(cached);
        al_destroy_bitmap(plain);
    }
};

// Positions that reach every view case on both axes, with fractions, at a display size.
std::vector<std::pair<float, float>> viewPositions(const DisplaySize& size) {
    const float hw = size.width / 2.0f;
    const float hh = size.height / 2.0f;
    return {
        {30.0f, 1150.0f},                                    // left edge, following
        {30.0f, 100.0f},                                     // left and top edges
        {3000.37f, 2400.71f},                                // following both ways
        {hw + 0.25f, hh + 0.75f},                            // just past both start edges
        {hw - 0.25f, hh - 0.75f},                            // just before them
        {WORLD_WIDTH - hw + 0.5f, 1500.5f},                  // right edge
        {WORLD_WIDTH - hw - 0.5f, WORLD_HEIGHT - hh - 0.2f}, // just before right and bottom
        {7195.5f, 4790.25f},                                 // right and bottom edges
        {2500.9f, WORLD_HEIGHT - hh + 3.3f},                 // bottom edge
        {4000.6f, 4272.4f},                                  // low, with the grid's last row near
        {-40.0f, -30.0f},                                    // pushed off the world's corner
        {1111.1f, 3333.3f},                                  // back to the middle of the world
    };
}

// Chunks in view painted wholly by a clear, holding no picture, and those with a cleared band
// above drawn cells: the cases below must really reach both ways of painting.
struct BandCounts {
    int uniform = 0;
    int banded = 0;
};

BandCounts bandsInView(const ChunkCache& cache) {
    BandCounts counts;
    const CellRange& chunks = cache.visible;
    for (int column = chunks.firstColumn; column <= chunks.lastColumn; ++column) {
        for (int row = chunks.firstRow; row <= chunks.lastRow; ++row) {
            const ChunkSlot& slot = cache.slots[cache.slotOfChunk[column * CHUNK_ROWS + row]];
            const int rows = std::min(CHUNK_CELLS, WORLD_ROWS - row * CHUNK_CELLS);
            counts.uniform += slot.bandRows == rows && !hasPicture(slot.picture);
            counts.banded += slot.bandRows > 0 && slot.bandRows < rows;
        }
    }
    return counts;
}

} // namespace

// The ways the cache copies its pictures: by framebuffer blits, and drawn as bitmaps, as on a
// Direct3D display or an OpenGL that has no blits.
struct PictureWayCase {
    const char* name;
    bool blits;
};
const PictureWayCase PICTURE_WAYS[] = {{"blitted", true}, {"drawn", false}};

TEST_F(ChunkCacheDrawing, MatchesCellByCellInEveryViewCase) {
    for (const PictureWayCase& way : PICTURE_WAYS) {
        for (const DisplaySize& size : SIZES) {
            Targets targets(size, game.blockTypes, way.blits);
            for (const auto& position : viewPositions(size)) {
                placePlayer(size, position.first, position.second);
                drawCached(*targets.cache, targets.cached);
                drawCellByCell(targets.plain);
                std::string first;
                EXPECT_EQ(0L, differingPixels(targets.cached, targets.plain, first))
                    << way.name << ", " << size.width << " x " << size.height << " at ("
                    << position.first << ", " << position.second << "), first at " << first;
            }
        }
    }
}

TEST_F(ChunkCacheDrawing, ShowsMinedAndPlacedCellsAtOnce) {
    for (const DisplaySize& size : SIZES) {
        Targets targets(size, game.blockTypes);
        placePlayer(size, 3200.5f, 1190.3f);
        drawCached(*targets.cache, targets.cached); // caches the chunks around the player
        EXPECT_GT(skyPixels(targets.cached), 0L);
        // A tunnel through the grass band, blocks built in the sky, a chunk's corner cells,
        // and changes in the grid's last column and row (off screen here, seen later).
        for (int column = 315; column < 330; ++column) {
            changeCell(column, 121, BLOCK_AIR);
            changeCell(column, 122, BLOCK_UNDERGROUND);
        }
        changeCell(320, 110, BLOCK_GOLD);
        changeCell(321, 110, BLOCK_STONE);
        changeCell(CHUNK_CELLS * 10 - 1, CHUNK_CELLS * 4 - 1, BLOCK_DIRT);
        changeCell(CHUNK_CELLS * 10, CHUNK_CELLS * 4, BLOCK_GRASS);
        changeCell(WORLD_COLUMNS - 1, 100, BLOCK_GOLD);
        changeCell(3000 / BLOCK_SIZE, WORLD_ROWS - 2, BLOCK_GOLD);
        const float after[][2] = {{3200.5f, 1190.3f},
                                  {3201.5f, 1189.0f},
                                  {7195.5f, 1000.0f},
                                  {3000.0f, 4790.0f},
                                  {3200.5f, 1190.3f}};
        for (const auto& position : after) {
            placePlayer(size, position[0], position[1]);
            drawCached(*targets.cache, targets.cached);
            drawCellByCell(targets.plain);
            std::string first;
            EXPECT_EQ(0L, differingPixels(targets.cached, targets.plain, first))
                << size.width << " x " << size.height << " at (" << position[0] << ", "
                << position[1] << "), first at " << first;
        }
    }
}

TEST_F(ChunkCacheDrawing, RedrawsOnlyChangedCellsOfChunksWhoseVersionMoved) {
    const DisplaySize size{1440, 900};
    Targets targets(size, game.blockTypes);
    placePlayer(size, 3200.5f, 1190.3f);
    // The chunks in view, then one chunk of the ring around them per frame ahead of time.
    int frames = 1;
    drawCached(*targets.cache, targets.cached);
    EXPECT_GT(targets.cache->redraws.size(), 1u);
    while (!targets.cache->redraws.empty() && frames < CHUNK_COUNT) {
        drawCached(*targets.cache, targets.cached);
        EXPECT_LE(targets.cache->redraws.size(), 1u);
        ++frames;
    }
    EXPECT_TRUE(targets.cache->redraws.empty());
    // A cell changed behind the cache's back keeps its old picture: the frame reuses chunks.
    // (330, 125) lies clear of the player, the enemies and the HUD.
    game.setCell(330, 125, BLOCK_GOLD);
    drawCached(*targets.cache, targets.cached);
    EXPECT_TRUE(targets.cache->redraws.empty());
    drawCellByCell(targets.plain);
    std::string first;
    EXPECT_EQ(long{BLOCK_SIZE * BLOCK_SIZE}, differingPixels(targets.cached, targets.plain, first));
    // Bumping the chunk's version draws just that cell into just that chunk.
    markCellChanged(*game.world, 330, 125);
    drawCached(*targets.cache, targets.cached);
    ASSERT_EQ(1u, targets.cache->redraws.size());
    EXPECT_EQ(1u, targets.cache->redrawCells.size());
    EXPECT_EQ(0L, differingPixels(targets.cached, targets.plain, first)) << first;
    // A whole new world that happens to look the same (a reload) draws nothing again.
    markAllCellsChanged(*game.world);
    drawCached(*targets.cache, targets.cached);
    EXPECT_TRUE(targets.cache->redraws.empty());
    EXPECT_EQ(0L, differingPixels(targets.cached, targets.plain, first)) << first;
}

// Half sky: the Air above row 121 is painted by clears, a whole chunk at a time or as a band
// above the grass, up to the view's edges and the grid's narrow last chunk column.
TEST_F(ChunkCacheDrawing, PaintsTheSkyExactlyAsItsCells) {
    for (const DisplaySize& size : SIZES) {
        Targets targets(size, game.blockTypes);
        const float hw = size.width / 2.0f;
        const float surface[][2] = {
            {3200.5f, 1190.3f}, {hw - 0.25f, 1191.7f}, {WORLD_WIDTH - hw + 0.5f, 1188.6f},
            {5000.2f, 1290.5f}, {2222.7f, 700.2f},     {1500.4f, size.height / 2.0f - 0.5f}};
        for (const auto& position : surface) {
            expectSameFrame(size, *targets.cache, targets.cached, targets.plain, position[0],
                            position[1], "at the surface");
        }
        placePlayer(size, 3200.5f, 1190.3f);
        drawCached(*targets.cache, targets.cached);
        const BandCounts bands = bandsInView(*targets.cache);
        EXPECT_GT(bands.uniform, 0) << size.width << " x " << size.height;
        EXPECT_GT(bands.banded, 0) << size.width << " x " << size.height;
    }
}

// Edits that split a run of uniform chunks, stop a band early, lengthen one, and make a chunk
// uniform again; the chunks around (3200, 1190) are (10, 2) all Air and (10, 3) Air down to
// row 120 with grass below.
TEST_F(ChunkCacheDrawing, RepaintsBandsAfterEdits) {
    for (const DisplaySize& size : SIZES) {
        Targets targets(size, game.blockTypes);
        const float x = 3200.5f;
        const float y = 1190.3f;
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x, y, "before");
        const BandCounts before = bandsInView(*targets.cache);

        changeCell(330, 90, BLOCK_STONE); // a block built in the sky of chunk (10, 2)
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x, y,
                        "a uniform chunk broken");
        EXPECT_EQ(before.uniform - 1, bandsInView(*targets.cache).uniform);

        changeCell(325, 100, BLOCK_GOLD); // chunk (10, 3)'s band now ends at row 100
        changeCell(CHUNK_CELLS * 11, LAST_SKY_ROW, BLOCK_DIRT); // (11, 3)'s ends one row early
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x, y,
                        "bands of different heights side by side");

        for (int column = CHUNK_CELLS * 9; column < CHUNK_CELLS * 10; ++column) {
            changeCell(column, LAST_SKY_ROW + 1, BLOCK_AIR); // the grass row of chunk (9, 3)
        }
        changeCell(345, LAST_SKY_ROW + 1, BLOCK_AIR); // one grass cell mined under a band
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x, y,
                        "grass mined at the surface");

        changeCell(330, 90, BLOCK_AIR);
        changeCell(325, 100, BLOCK_AIR);
        changeCell(CHUNK_CELLS * 11, LAST_SKY_ROW, BLOCK_AIR);
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x, y,
                        "the sky mined clear again");
        EXPECT_EQ(before.uniform, bandsInView(*targets.cache).uniform);
        expectSameFrame(size, *targets.cache, targets.cached, targets.plain, x - 321.0f, y + 7.0f,
                        "moved along");
    }
}

// A cache made for a smaller view than the frame's has too few bitmaps: the frame is refused,
// so that the renderer can end the game in order, and a view that fits is drawn again.
TEST_F(ChunkCacheDrawing, RefusesAViewLargerThanTheCacheWasMadeFor) {
    Targets small({320, 200}, game.blockTypes);
    placePlayer({1680, 1050}, 3000.37f, 2400.71f);
    FrameSnapshot snapshot{};
    EXPECT_FALSE(takeFrameSnapshot(*game.world, player, enemyRefs, *small.cache, snapshot));
    EXPECT_TRUE(small.cache->redraws.empty());
    placePlayer({320, 200}, 3000.37f, 2400.71f);
    drawCached(*small.cache, small.cached);
    drawCellByCell(small.plain);
    std::string first;
    EXPECT_EQ(0L, differingPixels(small.cached, small.plain, first)) << first;
}

// A block image that is not one flat colour can be neither kept as one texel nor painted by a
// clear: making the cache stops the game instead of showing a wrong picture.
TEST_F(ChunkCacheDrawing, RefusesBlockImagesThatAreNotFlat) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // the child makes its own display
    al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
    ALLEGRO_BITMAP* speckled = al_create_bitmap(BLOCK_SIZE, BLOCK_SIZE);
    al_set_new_bitmap_flags(0);
    ASSERT_NE(nullptr, speckled);
    al_set_target_bitmap(speckled);
    const BlockColour dirt = blockTypeColour(BLOCK_DIRT);
    al_clear_to_color(al_map_rgb(dirt.r, dirt.g, dirt.b));
    al_put_pixel(BLOCK_SIZE - 1, BLOCK_SIZE - 1, al_map_rgb(dirt.r, dirt.g, dirt.b + 1));
    BlockTypes speckledTypes = game.blockTypes;
    speckledTypes.rows[BLOCK_DIRT].bitmap = speckled;
    ChunkCache* cache = new ChunkCache{};
    EXPECT_DEATH(createChunkCache(*cache, speckledTypes, 320, 200, true), "not one flat colour");
    EXPECT_TRUE(createChunkCache(*cache, game.blockTypes, 320, 200, true));
    destroyChunkCache(*cache);
    delete cache;
    al_destroy_bitmap(speckled);
}
