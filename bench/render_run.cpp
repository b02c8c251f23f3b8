#include "bench/render_run.h"

#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <string>

#include "actors/enemy_thread.h"
#include "actors/physics.h"
#include "bench/bench_world.h"
#include "core/worker.h"
#include "presentation/atlas.h"
#include "presentation/render_thread.h"
#include "world/editing.h"

namespace {

// Every this many ticks the player builds a block ahead of its head, or mines it again, so
// that chunks in view change as they do in play.
constexpr int EDIT_INTERVAL = 20;
// Ticks of the first second, counted apart.
constexpr long START_TICKS = 60;

// The game's library objects and worker records for one run.
struct RunScene {
    ALLEGRO_DISPLAY* display;
    ALLEGRO_EVENT_QUEUE* queue;
    ALLEGRO_TIMER* timer;
    ALLEGRO_MUTEX* stateLock;
    Atlas atlas;
    BenchWorld state;
    RenderThreadData render;
    ALLEGRO_THREAD* renderThread;
    EnemyThreadArgs enemyArgs[ENEMY_COUNT];
    ALLEGRO_THREAD* enemyThreads[ENEMY_COUNT];
};

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

bool openRunScene(RunScene& scene, int width, int height, const char* fontPath) {
    scene.display = al_create_display(width, height);
    if (scene.display == nullptr || !createAtlas(scene.atlas)) {
        return false;
    }
    scene.render.font = al_load_font(fontPath, 12, 0);
    scene.queue = al_create_event_queue();
    scene.timer = al_create_timer(TICK_SECONDS);
    scene.stateLock = al_create_mutex();
    al_register_event_source(scene.queue, al_get_timer_event_source(scene.timer));
    createBenchWorld(scene.state, 463457);
    bindBlockBitmaps(scene.state.blockTypes, scene.atlas.blockSwatches);
    for (Block& cell : scene.state.world->cells) {
        cell.bitmap = blockTemplate(scene.state.blockTypes, cell.id).bitmap;
    }
    scene.state.player.bitmap = scene.atlas.player;
    scene.state.player.screenWidth = width;
    scene.state.player.screenHeight = height;
    al_set_target_backbuffer(scene.display);
    return scene.render.font != nullptr && scene.queue != nullptr && scene.timer != nullptr &&
           scene.stateLock != nullptr;
}

void createWorkers(RunScene& scene) {
    RenderThreadData& render = scene.render;
    render.mutex = al_create_mutex();
    render.cond = al_create_cond();
    render.buttonBitmap = scene.atlas.button;
    render.display = scene.display;
    render.blockTypes = scene.state.blockTypes;
    render.world = scene.state.world.get();
    render.player = &scene.state.player;
    render.stateLock = scene.stateLock;
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        render.enemies[i] = &scene.state.enemies[i];
        EnemyThreadArgs& args = scene.enemyArgs[i];
        args = {al_create_mutex(),       al_create_cond(),        i,
                &scene.state.enemies[i], scene.state.world.get(), &scene.state.player,
                scene.state.space,       scene.stateLock,         scene.atlas.enemy};
        scene.enemyThreads[i] = al_create_thread(enemyThreadProc, &args);
    }
    scene.renderThread = al_create_thread(renderThreadProc, &render);
}

void startWorkers(RunScene& scene) {
    al_set_target_bitmap(nullptr); // the render thread's display from now on
    al_start_thread(scene.renderThread);
    for (ALLEGRO_THREAD* thread : scene.enemyThreads) {
        al_start_thread(thread);
    }
}

void stopWorkers(RunScene& scene) {
    for (int i = 0; i < ENEMY_COUNT; ++i) {
        stopWorker(scene.enemyThreads[i], scene.enemyArgs[i].mutex, scene.enemyArgs[i].cond);
    }
    stopWorker(scene.renderThread, scene.render.mutex, scene.render.cond);
}

// Builds a block up and ahead of the player's head, or mines it again, like a player's clicks.
void editAhead(BenchWorld& state, long tick) {
    Player& player = state.player;
    const int column = static_cast<int>(player.x) / BLOCK_SIZE + 3;
    const int row = static_cast<int>(player.y) / BLOCK_SIZE - 3;
    if (!cellInGrid(column, row)) {
        return;
    }
    player.selectedBlock = 1;
    if (tick / EDIT_INTERVAL % 2 == 0) {
        player.dirtCount = player.dirtCount > 0 ? player.dirtCount : 1;
        placeBlock(*state.world, state.blockTypes, player, state.space, column, row);
    } else {
        mineCell(*state.world, state.blockTypes, player, state.space, column, row);
    }
}

// One tick as the game's main loop does it, the player holding Right and jumping now and then.
void runTick(RunScene& scene, long tick) {
    BenchWorld& state = scene.state;
    al_lock_mutex(scene.stateLock);
    state.player.keys[keyRight] = 1;
    state.player.keys[keyUp] = tick % 90 < 2;
    advancePlayerTick(state.space, state.player, *state.world);
    if (tick % EDIT_INTERVAL == 0) {
        editAhead(state, tick);
    }
    al_unlock_mutex(scene.stateLock);
    for (EnemyThreadArgs& args : scene.enemyArgs) {
        wakeWorker(args.cond);
    }
    wakeWorker(scene.render.cond);
}

RunCounts runTicks(RunScene& scene, double seconds) {
    RunCounts counts{};
    al_start_timer(scene.timer);
    const double start = benchSeconds();
    uint64_t framesBefore = 0;
    while (benchSeconds() - start < seconds) {
        ALLEGRO_EVENT event;
        al_wait_for_event(scene.queue, &event);
        if (event.type != ALLEGRO_EVENT_TIMER) {
            continue;
        }
        // The previous tick's frame must be flipped before this tick's wake-up comes.
        const uint64_t frames = scene.render.framesDrawn.load();
        if (counts.ticks > 0 && frames == framesBefore) {
            ++(counts.ticks < START_TICKS ? counts.lateAtStart : counts.late);
        }
        framesBefore = frames;
        runTick(scene, counts.ticks);
        ++counts.ticks;
    }
    al_stop_timer(scene.timer);
    counts.seconds = benchSeconds() - start;
    al_rest(0.1); // lets the last tick's frame finish before it is counted
    return counts;
}

} // namespace

bool benchRenderRun(BenchTable& table, int width, int height, double seconds,
                    const char* fontPath) {
    RunScene* scene = new RunScene{};
    if (!openRunScene(*scene, width, height, fontPath)) {
        delete scene;
        return false;
    }
    createWorkers(*scene);
    startWorkers(*scene);
    const RunCounts counts = runTicks(*scene, seconds);
    const long frames = static_cast<long>(scene->render.framesDrawn.load());
    stopWorkers(*scene);
    const std::string what = "real render thread, " + std::to_string(width) + " x " +
                             std::to_string(height) + ", " +
                             std::to_string(static_cast<int>(seconds)) + " s: ";
    addRow(table, what + "ticks", counts.ticks, "ticks", 0);
    addRow(table, what + "frames drawn", frames, "frames", 0);
    addRow(table, what + "frames per tick", static_cast<double>(frames) / counts.ticks,
           "frames/tick", 0);
    addRow(table, what + "ticks missed in the first second", counts.lateAtStart, "ticks", 0);
    addRow(table, what + "ticks missed after the first second", counts.late, "ticks", 0);
    addRow(table, what + "flips per second", frames / counts.seconds, "flips/s", 0);
    al_set_target_backbuffer(scene->display);
    destroyBenchWorld(scene->state);
    al_destroy_display(scene->display);
    delete scene;
    return true;
}
