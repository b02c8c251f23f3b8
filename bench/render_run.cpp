#include "bench/render_run.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "actors/physics.h"
#include "core/game.h"
#include "presentation/game_display.h"
#include "world/editing.h"

namespace {

// Every this many ticks the player builds a block ahead of its head, or mines it again, so
// that chunks in view change as they do in play.
constexpr int EDIT_INTERVAL = 20;
// Ticks of the first second, counted apart.
constexpr long START_TICKS = 60;

// What the run counted.
struct RunCounts {
    long ticks;
    // Ticks at which the renderer had not yet finished the previous tick's frame, so that
    // this tick's wake-up was lost: in the first second (the first frame draws every chunk in
    // view) and after it.
    long lateAtStart;
    long late;
    double seconds;
};

} // namespace

bool openRunGame(Game& game, int width, int height, const char* fontPath) {
    if (!buildHeadlessGame(game)) {
        return false;
    }
    generateSeededWorld(game, START_SEED);
    game.display = createGameDisplay(width, height, 0);
    if (game.display == nullptr || !createAtlas(game.atlas)) {
        return false;
    }
    game.font = al_load_font(fontPath, 12, 0);
    game.eventQueue = al_create_event_queue();
    game.timer = al_create_timer(TICK_SECONDS);
    if (game.font == nullptr || game.eventQueue == nullptr || game.timer == nullptr) {
        return false;
    }
    al_register_event_source(game.eventQueue, al_get_timer_event_source(game.timer));
    bindAtlasImages(game);
    game.player.screenWidth = width;
    game.player.screenHeight = height;
    al_set_target_backbuffer(game.display);
    const char* failure = nullptr;
    return createWorkers(game, failure);
}

namespace {

// Builds a block up and ahead of the player's head, or mines it again, like a player's clicks.
void editAhead(Game& game, long tick) {
    Player& player = game.player;
    const int column = static_cast<int>(player.x) / BLOCK_SIZE + 3;
    const int row = static_cast<int>(player.y) / BLOCK_SIZE - 3;
    if (!cellInGrid(column, row)) {
        return;
    }
    player.selectedBlock = 1;
    if (tick / EDIT_INTERVAL % 2 == 0) {
        player.dirtCount = player.dirtCount > 0 ? player.dirtCount : 1;
        placeBlock(game.world, game.blockTypes, player, game.space, column, row);
    } else {
        mineCell(game.world, game.blockTypes, player, game.space, column, row);
    }
}

} // namespace

void runTick(Game& game, long tick) {
    al_lock_mutex(game.stateLock);
    game.player.keys[keyRight] = 1;
    game.player.keys[keyUp] = tick % 90 < 2;
    if (tick % EDIT_INTERVAL == 0) {
        editAhead(game, tick);
    }
    al_unlock_mutex(game.stateLock);
    tickGame(game);
}

namespace {

RunCounts runTicks(Game& game, double seconds) {
    RunCounts counts{};
    al_start_timer(game.timer);
    const double start = benchSeconds();
    uint64_t framesBefore = 0;
    while (benchSeconds() - start < seconds) {
        ALLEGRO_EVENT event;
        al_wait_for_event(game.eventQueue, &event);
        if (event.type != ALLEGRO_EVENT_TIMER) {
            continue;
        }
        // The previous tick's frame must be flipped before this tick's wake-up comes.
        const uint64_t frames = game.render.framesShown.load();
        if (counts.ticks > 0 && frames == framesBefore) {
            ++(counts.ticks < START_TICKS ? counts.lateAtStart : counts.late);
        }
        framesBefore = frames;
        runTick(game, counts.ticks);
        ++counts.ticks;
    }
    al_stop_timer(game.timer);
    counts.seconds = benchSeconds() - start;
    al_rest(0.1); // lets the last tick's frame finish before it is counted
    return counts;
}

} // namespace

void finishRunSaver(Game& game) {
    if (!finishSaver(game, CLOSE_SAVE_SECONDS)) {
        std::fprintf(stderr, "the saves did not finish within %g s: the run ends here\n",
                     CLOSE_SAVE_SECONDS);
        std::fflush(stdout);
        std::_Exit(1);
    }
}

void stopRunGame(Game& game) {
    stopWorkers(game);
    finishRunSaver(game);
}

bool benchRenderRun(BenchTable& table, int width, int height, double seconds,
                    const char* fontPath) {
    std::unique_ptr<Game> game = std::make_unique<Game>();
    if (!openRunGame(*game, width, height, fontPath)) {
        return false;
    }
    startWorkers(*game);
    const RunCounts counts = runTicks(*game, seconds);
    const long frames = static_cast<long>(game->render.framesShown.load());
    const long flipped = static_cast<long>(game->render.framesFlipped.load());
    stopRunGame(*game);
    const std::string what = "real render thread, " + std::to_string(width) + " x " +
                             std::to_string(height) + ", " +
                             std::to_string(static_cast<int>(seconds)) + " s: ";
    addRow(table, what + "ticks", counts.ticks, "ticks", 0);
    addRow(table, what + "frames shown", frames, "frames", 0);
    addRow(table, what + "of which drawn and flipped", flipped, "frames", 0);
    addRow(table, what + "frames per tick", static_cast<double>(frames) / counts.ticks,
           "frames/tick", 0);
    addRow(table, what + "ticks missed in the first second", counts.lateAtStart, "ticks", 0);
    addRow(table, what + "ticks missed after the first second", counts.late, "ticks", 0);
    addRow(table, what + "frames shown per second", frames / counts.seconds, "frames/s", 0);
    al_set_target_backbuffer(game->display);
    destroyGame(*game);
    al_destroy_timer(game->timer);
    al_destroy_event_queue(game->eventQueue);
    al_destroy_display(game->display);
    return true;
}
