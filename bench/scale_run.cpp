#include "bench/scale_run.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "actors/physics.h"
#include "bench/checkerboard.h"
#include "bench/child_run.h"
#include "bench/flip_watch.h"
#include "bench/render_run.h"
#include "bench/resident_memory.h"
#include "core/game.h"
#include "core/save_game.h"
#include "core/saver.h"
#include "presentation/game_display.h"

namespace {

// The worlds, each with the last row of its checkerboard (0: the generated world).
struct ScaleWorld {
    const char* name;
    int lastRow;
};

const ScaleWorld SCALE_WORLDS[] = {
    {"generated", 0},
    {"checkerboard to row 157", 157},
    {"checkerboard to row 264", 264},
    {"checkerboard", CHECKERBOARD_LAST_ROW},
};

constexpr int TABLE_WIDTH = 1680, TABLE_HEIGHT = 1050;
constexpr int MEMORY_WIDTH = 1440, MEMORY_HEIGHT = 900;
// Seconds of play after the first frame before the Save click, from the Save click to the
// Load click (the save is written by then), and after the world is in place.
constexpr double QUIET_SECONDS = 1.0;
constexpr double SAVE_TO_LOAD_SECONDS = 1.5;
constexpr double AFTER_LOAD_SECONDS = 0.5;
constexpr double LONGEST_RUN_SECONDS = 60.0;
constexpr int FONT_SIZE = 12;
// The static shapes that are no face's segment.
constexpr int WORLD_WALLS = 4;

// A load is over once the saver has handed it to the main thread and every segment is in.
bool loadSettled(Game& game) {
    return !loadOnItsWay(game);
}

// What the real game does from the start menu's Load World click to its event loop: the game
// display, its images, the workers, the block table and the load from the saver's folder; then
// the timer.
bool startLoadedGame(Game& game, int width, int height) {
    game.display = createGameDisplay(width, height, 0);
    if (game.display == nullptr || !createAtlas(game.atlas)) {
        return false;
    }
    game.player.bitmap = game.atlas.player;
    game.player.screenWidth = width;
    game.player.screenHeight = height;
    al_set_target_backbuffer(game.display);
    game.stateLock = al_create_mutex();
    const char* failure = nullptr;
    if (game.stateLock == nullptr || !createWorkers(game, failure)) {
        return false;
    }
    initBlockTypes(game.blockTypes);
    bindBlockBitmaps(game.blockTypes, game.atlas.blockSwatches);
    if (!loadWorld(game)) {
        return false;
    }
    startWorkers(game);
    al_start_timer(game.timer);
    return true;
}

// Ticks until `done` says so (checked after each tick) or the run is too long.
template <typename Done> bool tickUntil(Game& game, Done done) {
    const double start = benchSeconds();
    while (benchSeconds() - start < LONGEST_RUN_SECONDS) {
        ALLEGRO_EVENT event;
        al_wait_for_event(game.eventQueue, &event);
        tickGame(game);
        if (done()) {
            return true;
        }
    }
    return false;
}

void tickFor(Game& game, double seconds) {
    const double until = benchSeconds() + seconds;
    tickUntil(game, [&] { return benchSeconds() >= until; });
}

bool playScaleRun(Game& game, BenchTable& table, const std::string& what, int width, int height) {
    FlipWatch watch;
    startFlipWatch(watch, game.render);
    const double click = benchSeconds();
    if (!startLoadedGame(game, width, height) ||
        !tickUntil(game, [&] { return game.render.framesShown.load() > 0; })) {
        stopFlipWatch(watch);
        return false;
    }
    const double firstFrameMemory = residentMegabytes();
    tickFor(game, QUIET_SECONDS);
    const double saveStart = benchSeconds();
    requestSaveAction(game, SAVE_ACTION);
    const double saveClick = benchSeconds() - saveStart;
    tickFor(game, SAVE_TO_LOAD_SECONDS);
    const double loadClick = benchSeconds();
    requestSaveAction(game, LOAD_ACTION);
    const bool ran = tickUntil(game, [&] { return loadSettled(game); });
    const double loaded = benchSeconds();
    tickFor(game, AFTER_LOAD_SECONDS);
    const double end = benchSeconds();
    stopFlipWatch(watch);
    if (!ran || watch.flips.empty()) {
        return false;
    }
    const double ms = 1000.0;
    addRow(table, what + "exposed faces", staticShapeCount(game.space) - WORLD_WALLS, "faces", 0);
    addRow(table, what + "Load World to the first frame", (watch.flips.front() - click) * ms, "ms",
           1);
    addRow(table, what + "Save click, main thread", saveClick * ms, "ms", 1);
    addRow(table, what + "Load in play: longest wait between frames",
           longestFrameWait(watch.flips, loadClick, end), "ms", 1);
    addRow(table, what + "Load in play: click to the world in place", (loaded - loadClick) * ms,
           "ms", 1);
    addRow(table, what + "resident memory at the first frame", firstFrameMemory, "MB", 1);
    addRow(table, what + "resident memory after the Load in play", residentMegabytes(), "MB", 1);
    addRow(table, what + "resident memory, peak", peakResidentMegabytes(), "MB", 1);
    return true;
}

// The medians of several runs' rows, row by row in the first run's order.
void addMedians(BenchTable& table, const std::vector<BenchTable>& runs) {
    if (runs.empty()) {
        return;
    }
    for (size_t i = 0; i < runs.front().rows.size(); ++i) {
        const BenchRow& first = runs.front().rows[i];
        std::vector<double> values;
        for (const BenchTable& run : runs) {
            if (i < run.rows.size()) {
                values.push_back(run.rows[i].value);
            }
        }
        addRow(table, first.what, median(values), first.unit,
               first.repetitions > 0 ? static_cast<int>(values.size()) : 0);
    }
}

bool runWorld(BenchTable& table, const std::string& directory, const char* name, int width,
              int height, int runs) {
    std::vector<BenchTable> results;
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        BenchTable result;
        ok = runBenchChild(result, {SCALE_CHILD_OPTION, directory, std::to_string(width),
                                    std::to_string(height), name}) &&
             ok;
        results.push_back(result);
    }
    addMedians(table, results);
    return ok;
}

// The generated world is saved as a new game saves it.
bool writeWorldSave(const ScaleWorld& world, const std::string& directory) {
    if (world.lastRow > 0) {
        std::string problem;
        const bool written = writeCheckerboardSave(directory, world.lastRow, problem);
        if (!written) {
            std::fprintf(stderr, "cannot write the checkerboard: %s\n", problem.c_str());
        }
        return written;
    }
    std::unique_ptr<Game> game = std::make_unique<Game>();
    bool saved = buildHeadlessGame(*game);
    generateSeededWorld(*game, START_SEED);
    std::fflush(stdout);
    game->saver.own.folder.directory = directory;
    saved = saved && saveWorld(*game);
    destroyGame(*game);
    return saved;
}

} // namespace

bool benchScale(BenchTable& table, int runs) {
    bool ok = true;
    std::vector<std::string> directories;
    for (const ScaleWorld& world : SCALE_WORLDS) {
        char directory[] = "/tmp/tellurn-bench-XXXXXX";
        if (mkdtemp(directory) == nullptr || !writeWorldSave(world, directory)) {
            return false;
        }
        directories.push_back(directory);
    }
    for (size_t i = 0; i < directories.size(); ++i) {
        ok = runWorld(table, directories[i], SCALE_WORLDS[i].name, TABLE_WIDTH, TABLE_HEIGHT,
                      runs) &&
             ok;
    }
    ok = runWorld(table, directories.back(), SCALE_WORLDS[std::size(SCALE_WORLDS) - 1].name,
                  MEMORY_WIDTH, MEMORY_HEIGHT, runs) &&
         ok;
    for (const std::string& directory : directories) {
        std::filesystem::remove_all(directory);
    }
    return ok;
}

int runScaleChild(const char* directory, int width, int height, const char* world,
                  const char* fontPath) {
    std::unique_ptr<Game> game = std::make_unique<Game>();
    // Start-up before the start menu's click: the space, the player and the walls, the font,
    // the event queue and the timer.
    initGame(*game);
    createPlayerAndWalls(*game);
    game->font = al_load_font(fontPath, FONT_SIZE, 0);
    game->eventQueue = al_create_event_queue();
    game->timer = al_create_timer(TICK_SECONDS);
    if (game->font == nullptr || game->eventQueue == nullptr || game->timer == nullptr) {
        return 1;
    }
    al_register_event_source(game->eventQueue, al_get_timer_event_source(game->timer));
    // The save is written by this run too, into the world's own directory: a copy keeps the
    // parent's file for the next runs.
    char own[] = "/tmp/tellurn-bench-XXXXXX";
    if (mkdtemp(own) == nullptr) {
        return 1;
    }
    std::filesystem::copy(directory, own, std::filesystem::copy_options::recursive);
    game->saver.own.folder.directory = own;
    BenchTable table;
    const std::string what =
        std::string(world) + ", " + std::to_string(width) + "x" + std::to_string(height) + ": ";
    const bool ran = playScaleRun(*game, table, what, width, height);
    al_stop_timer(game->timer);
    if (game->enemyPacing == ENEMIES_ON_THREADS) {
        stopRunGame(*game);
    }
    std::filesystem::remove_all(own);
    printRowsForParent(table);
    std::fflush(stdout);
    std::_Exit(ran ? 0 : 1); // the process ends here: no teardown of a game this size to wait for
}
