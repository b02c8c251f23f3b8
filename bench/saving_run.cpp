#include "bench/saving_run.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "actors/physics.h"
#include "bench/child_run.h"
#include "bench/flip_watch.h"
#include "bench/render_run.h"
#include "bench/resident_memory.h"
#include "core/game.h"
#include "core/saver.h"

namespace {

// Seconds of play before the clicks: the first, which draws every chunk in view, then the
// ones whose frame waits are the yardstick.
constexpr double WARM_UP_SECONDS = 1.0;
constexpr double QUIET_SECONDS = 2.0;
// Five Save clicks a quarter of a second apart, the Load click on the tick after the fifth.
constexpr int SAVE_CLICKS = 5;
constexpr long TICKS_BETWEEN_CLICKS = 15;
constexpr long LOAD_CLICK_STEP = (SAVE_CLICKS - 1) * TICKS_BETWEEN_CLICKS + 1;
// How long the run goes on after the load has been applied, and at most.
constexpr double AFTER_LOAD_SECONDS = 0.5;
constexpr double LONGEST_RUN_SECONDS = 30.0;

constexpr const char* SLOW_FLUSH_FAULT = "slow-fsync:300";
constexpr const char* SLOW_DISK = "flush +300 ms";
constexpr const char* THIS_DISK = "this disk";
// The slow disk's worst frame wait varies from run to run: it is taken over this many.
constexpr int SLOW_DISK_RUNS = 3;
constexpr const char* CLICKS_WAIT = "longest frame wait, 5 saves + a load";
// The display of the run whose resident memory is the yardstick of the game's own.
constexpr int MEMORY_WIDTH = 1440, MEMORY_HEIGHT = 900;

// When things happened, and what the main thread spent on the clicks (seconds).
struct ClickTimes {
    double quietStart, firstClick, loadApplied, end;
    std::vector<double> saveClicks;
    // The longest tick while the load was outstanding.
    double apply;
    // Resident memory once the first frame was shown, and at the end (MB).
    double firstFrameMemory, endMemory;
};

// Clicks Save or Load on the ticks of the script and times the main thread's part of a Save;
// the Load's part comes on a later tick, when the saver has read the file.
void clickOnTick(Game& game, long step, ClickTimes& times) {
    if (step >= 0 && step < SAVE_CLICKS * TICKS_BETWEEN_CLICKS &&
        step % TICKS_BETWEEN_CLICKS == 0) {
        const double start = benchSeconds();
        requestSaveAction(game, SAVE_ACTION);
        times.saveClicks.push_back(benchSeconds() - start);
        times.firstClick = step == 0 ? start : times.firstClick;
    } else if (step == LOAD_CLICK_STEP) {
        requestSaveAction(game, LOAD_ACTION);
    }
}

void playWithClicks(Game& game, ClickTimes& times) {
    const long clicksFrom = static_cast<long>((WARM_UP_SECONDS + QUIET_SECONDS) / TICK_SECONDS);
    al_start_timer(game.timer);
    const double start = benchSeconds();
    times.quietStart = start + WARM_UP_SECONDS;
    for (long tick = 0; benchSeconds() - start < LONGEST_RUN_SECONDS; ++tick) {
        ALLEGRO_EVENT event;
        al_wait_for_event(game.eventQueue, &event);
        clickOnTick(game, tick - clicksFrom, times);
        const bool loadWaiting = loadOnItsWay(game);
        const double tickStart = benchSeconds();
        runTick(game, tick);
        if (loadWaiting) {
            times.apply = std::max(times.apply, benchSeconds() - tickStart);
        }
        if (loadWaiting && !loadOnItsWay(game)) {
            times.loadApplied = benchSeconds();
        }
        if (times.firstFrameMemory == 0 && game.render.framesShown.load() > 0) {
            times.firstFrameMemory = residentMegabytes();
        }
        if (times.loadApplied > 0 && benchSeconds() - times.loadApplied > AFTER_LOAD_SECONDS) {
            break;
        }
    }
    al_stop_timer(game.timer);
    times.end = benchSeconds();
    times.endMemory = residentMegabytes();
}

void addSavingRows(BenchTable& table, const std::string& what, const FlipWatch& watch,
                   const ClickTimes& times) {
    const double ms = 1000.0;
    addRow(table, what + "longest frame wait, walking, no click",
           longestFrameWait(watch.flips, times.quietStart, times.firstClick), "ms", 0);
    addRow(table, what + CLICKS_WAIT, longestFrameWait(watch.flips, times.firstClick, times.end),
           "ms", 0);
    addRow(table, what + "Save click, main thread, median", median(times.saveClicks) * ms, "ms",
           SAVE_CLICKS);
    addRow(table, what + "Save click, main thread, longest",
           *std::max_element(times.saveClicks.begin(), times.saveClicks.end()) * ms, "ms",
           SAVE_CLICKS);
    addRow(table, what + "longest tick while the Load is on its way, main thread", times.apply * ms,
           "ms", 1);
    addRow(table, what + "first Save click to the load in place",
           (times.loadApplied - times.firstClick) * ms, "ms", 0);
    addRow(table, what + "resident memory at the first frame", times.firstFrameMemory, "MB", 1);
    addRow(table, what + "resident memory after 5 saves + a load", times.endMemory, "MB", 1);
    addRow(table, what + "resident memory, peak", peakResidentMegabytes(), "MB", 1);
}

// One run in a save directory of its own under /tmp, removed afterwards.
bool savingRun(BenchTable& table, int width, int height, const char* fontPath, const char* disk) {
    char directory[] = "/tmp/tellurn-bench-XXXXXX";
    std::unique_ptr<Game> game = std::make_unique<Game>();
    if (mkdtemp(directory) == nullptr) {
        return false;
    }
    game->saver.own.folder.directory = directory;
    if (!openRunGame(*game, width, height, fontPath)) {
        std::filesystem::remove_all(directory);
        return false;
    }
    startWorkers(*game);
    FlipWatch watch;
    startFlipWatch(watch, game->render);
    ClickTimes times{};
    playWithClicks(*game, times);
    stopFlipWatch(watch);
    stopRunGame(*game);
    const bool loaded = times.loadApplied > 0;
    if (loaded) {
        addSavingRows(table,
                      "play " + std::to_string(width) + "x" + std::to_string(height) + ", " + disk +
                          ": ",
                      watch, times);
    }
    al_set_target_backbuffer(game->display);
    destroyGame(*game);
    al_destroy_timer(game->timer);
    al_destroy_event_queue(game->eventQueue);
    al_destroy_display(game->display);
    std::filesystem::remove_all(directory);
    return loaded;
}

// A child run on a width x height display.
bool startSavingChild(BenchTable& table, const std::string& disk, int width, int height,
                      const char* faultLibrary = nullptr, const char* fault = nullptr) {
    return runBenchChild(table,
                         {SAVING_CHILD_OPTION, disk, std::to_string(width), std::to_string(height)},
                         faultLibrary, fault);
}

} // namespace

bool benchSavingInPlay(BenchTable& table, int width, int height) {
    const bool plain = startSavingChild(table, THIS_DISK, width, height);
    const bool measured = startSavingChild(table, THIS_DISK, MEMORY_WIDTH, MEMORY_HEIGHT);
#ifdef TELLURN_FAULT_LIBRARY
    bool slow = true;
    double worst = 0.0;
    for (int run = 1; run <= SLOW_DISK_RUNS; ++run) {
        const size_t before = table.rows.size();
        const std::string disk = std::string(SLOW_DISK) + ", run " + std::to_string(run);
        slow =
            startSavingChild(table, disk, width, height, TELLURN_FAULT_LIBRARY, SLOW_FLUSH_FAULT) &&
            slow;
        for (size_t row = before; row < table.rows.size(); ++row) {
            const std::string& what = table.rows[row].what;
            if (what.size() >= std::strlen(CLICKS_WAIT) &&
                what.compare(what.size() - std::strlen(CLICKS_WAIT), std::string::npos,
                             CLICKS_WAIT) == 0) {
                worst = std::max(worst, table.rows[row].value);
            }
        }
    }
    addRow(table,
           std::string(SLOW_DISK) + ": worst frame wait over " + std::to_string(SLOW_DISK_RUNS) +
               " runs, 5 saves + a load",
           worst, "ms", SLOW_DISK_RUNS);
    return slow && plain && measured;
#else
    std::fprintf(stderr, "no fault library was built (TELLURN_TESTS=OFF): no slow-disk run\n");
    return false;
#endif
}

int runSavingChild(int width, int height, const char* fontPath, const char* disk) {
    BenchTable table;
    const bool ran = savingRun(table, width, height, fontPath, disk);
    printRowsForParent(table);
    return ran ? 0 : 1;
}
