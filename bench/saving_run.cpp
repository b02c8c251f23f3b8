#include "bench/saving_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "actors/physics.h"
#include "bench/render_run.h"
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

constexpr const char* ROW_PREFIX = "bench-row";
constexpr const char* SLOW_FLUSH_FAULT = "slow-fsync:300";
constexpr const char* SLOW_DISK = "flush +300 ms";
constexpr const char* THIS_DISK = "this disk";

// When each frame was flipped, as a thread of the benchmark's own sees the render thread's
// count change; it looks every half millisecond.
struct FlipWatch {
    std::atomic<bool> stop{false};
    std::vector<double> flips;
};

void watchFlips(const RenderThreadData& render, FlipWatch& watch) {
    uint64_t seen = render.framesDrawn.load();
    while (!watch.stop.load()) {
        const uint64_t frames = render.framesDrawn.load();
        if (frames != seen) {
            seen = frames;
            watch.flips.push_back(benchSeconds());
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

// The longest wait between two flips from `from` to `to`, the wait into the first flip after
// `from` and out of the last before `to` included, in milliseconds.
double longestFrameWait(const std::vector<double>& flips, double from, double to) {
    double longest = 0.0;
    double previous = from;
    for (double flip : flips) {
        if (flip > from) {
            longest = std::max(longest, std::min(flip, to) - previous);
        }
        if (flip >= to) {
            break;
        }
        previous = std::max(flip, from);
    }
    return longest * 1000.0;
}

// When things happened, and what the main thread spent on the clicks (seconds).
struct ClickTimes {
    double quietStart, firstClick, loadApplied, end;
    std::vector<double> saveClicks;
    double apply;
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
        const bool loadWaiting = game.saver.loadOutstanding;
        const double applyStart = benchSeconds();
        applyReadLoad(game); // what tickGame does first, timed apart
        if (loadWaiting && !game.saver.loadOutstanding) {
            times.loadApplied = benchSeconds();
            times.apply = times.loadApplied - applyStart;
        }
        runTick(game, tick);
        if (times.loadApplied > 0 && benchSeconds() - times.loadApplied > AFTER_LOAD_SECONDS) {
            break;
        }
    }
    al_stop_timer(game.timer);
    times.end = benchSeconds();
}

void addSavingRows(BenchTable& table, const std::string& what, const FlipWatch& watch,
                   const ClickTimes& times) {
    const double ms = 1000.0;
    addRow(table, what + "longest frame wait, walking, no click",
           longestFrameWait(watch.flips, times.quietStart, times.firstClick), "ms", 0);
    addRow(table, what + "longest frame wait, 5 saves + a load",
           longestFrameWait(watch.flips, times.firstClick, times.end), "ms", 0);
    addRow(table, what + "Save click, main thread, median", median(times.saveClicks) * ms, "ms",
           SAVE_CLICKS);
    addRow(table, what + "Save click, main thread, longest",
           *std::max_element(times.saveClicks.begin(), times.saveClicks.end()) * ms, "ms",
           SAVE_CLICKS);
    addRow(table, what + "Load applied, main thread", times.apply * ms, "ms", 1);
    addRow(table, what + "first Save click to the load applied",
           (times.loadApplied - times.firstClick) * ms, "ms", 0);
}

// One run in a save directory of its own under /tmp, removed afterwards.
bool savingRun(BenchTable& table, int width, int height, const char* fontPath, const char* disk) {
    char directory[] = "/tmp/tellurn-bench-XXXXXX";
    std::unique_ptr<Game> game = std::make_unique<Game>();
    if (mkdtemp(directory) == nullptr) {
        return false;
    }
    game->saver.folder.directory = directory;
    if (!openRunGame(*game, width, height, fontPath)) {
        std::filesystem::remove_all(directory);
        return false;
    }
    startWorkers(*game);
    FlipWatch watch;
    watch.flips.reserve(static_cast<size_t>(LONGEST_RUN_SECONDS * 200));
    std::thread watcher(watchFlips, std::cref(game->render), std::ref(watch));
    ClickTimes times{};
    playWithClicks(*game, times);
    watch.stop = true;
    watcher.join();
    stopWorkers(*game);
    finishSaver(*game, CLOSE_SAVE_SECONDS);
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

// The child's rows, one a line: prefix, value, unit, repetitions, what (tab-separated); the
// game's own lines around them are skipped.
void takeRows(FILE* from, BenchTable& table) {
    const size_t prefix = std::strlen(ROW_PREFIX);
    char line[512];
    while (std::fgets(line, sizeof line, from) != nullptr) {
        double value = 0;
        char unit[32];
        int repetitions = 0;
        int whatAt = 0;
        if (std::strncmp(line, ROW_PREFIX, prefix) == 0 &&
            std::sscanf(line + prefix, "\t%lf\t%31[^\t]\t%d\t%n", &value, unit, &repetitions,
                        &whatAt) == 3 &&
            whatAt > 0) {
            std::string what = line + prefix + whatAt;
            what.erase(what.find_last_not_of('\n') + 1);
            addRow(table, what, value, unit, repetitions);
        }
    }
}

// This benchmark once more, for one disk: with the fault library preloaded, every flush is slowed.
bool runChildProcess(BenchTable& table, const char* disk, const char* faultLibrary) {
    int rows[2];
    if (pipe(rows) != 0) {
        return false;
    }
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        dup2(rows[1], STDOUT_FILENO);
        close(rows[0]);
        close(rows[1]);
        if (faultLibrary != nullptr) {
            setenv("LD_PRELOAD", faultLibrary, 1);
            setenv("TELLURN_FAULT", SLOW_FLUSH_FAULT, 1);
        }
        execl("/proc/self/exe", "tellurn-bench", SAVING_CHILD_OPTION, disk, nullptr);
        _exit(127);
    }
    close(rows[1]);
    FILE* from = fdopen(rows[0], "r");
    if (from != nullptr) {
        takeRows(from, table);
        std::fclose(from);
    }
    int status = -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool benchSavingInPlay(BenchTable& table) {
    const bool plain = runChildProcess(table, THIS_DISK, nullptr);
#ifdef TELLURN_FAULT_LIBRARY
    return runChildProcess(table, SLOW_DISK, TELLURN_FAULT_LIBRARY) && plain;
#else
    std::fprintf(stderr, "no fault library was built (TELLURN_TESTS=OFF): no slow-disk run\n");
    return false;
#endif
}

int runSavingChild(int width, int height, const char* fontPath, const char* disk) {
    BenchTable table;
    const bool ran = savingRun(table, width, height, fontPath, disk);
    for (const BenchRow& row : table.rows) {
        std::printf("%s\t%f\t%s\t%d\t%s\n", ROW_PREFIX, row.value, row.unit.c_str(),
                    row.repetitions, row.what.c_str());
    }
    return ran ? 0 : 1;
}
