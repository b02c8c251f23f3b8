// tellurn-bench: what drawing, ticking, generating and saving cost on this machine, printed as
// one table of medians. Needs an X display (bench/run.sh starts a virtual one).
//
//   tellurn-bench [--run-seconds S] [--quick] [--scale-only]
//   tellurn-bench --write-checkerboard DIRECTORY [LAST_ROW]
//   tellurn-bench --write-walk-save DIRECTORY
//
// --run-seconds sets the length of the real render-thread run (30 by default); --quick takes
// fewer repetitions everywhere, for trying changes out; --scale-only runs only the worlds of
// growing size (bench/scale_run.h). The benchmark runs itself again in child processes: to save
// and load in play, on this disk and on a slow one (--saving-run-child), and to start and load
// each world of the scale section (--scale-child). --write-checkerboard only writes the
// checkerboard save (bench/checkerboard.h) into DIRECTORY, to play it or look at it;
// --write-walk-save writes the save that bench/screen_cost.sh walks in (bench/walk_save.h).
#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_ttf.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "base/process.h"
#include "bench/bench_table.h"
#include "bench/checkerboard.h"
#include "bench/frame_bench.h"
#include "bench/render_run.h"
#include "bench/save_bench.h"
#include "bench/saving_run.h"
#include "bench/scale_run.h"
#include "bench/tick_bench.h"
#include "bench/walk_save.h"

namespace {

struct BenchOptions {
    double runSeconds = 30.0;
    int frameRepetitions = 60;
    int generations = 15;
    int ticks = 1200;
    int saves = 9;
    int scaleRuns = 3;
    bool scaleOnly = false;
};

struct DisplaySize {
    int width, height;
};

const DisplaySize FRAME_SIZES[] = {{1280, 800}, {1440, 900}, {1680, 1050}};
const DisplaySize RUN_SIZE = {1680, 1050};
constexpr int EXTRA_SEGMENTS = 10000;
const char* const FONT_PATH = TELLURN_SOURCE_DIR "/data/arial.ttf";

bool parseOptions(int argc, char** argv, BenchOptions& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--run-seconds") == 0 && i + 1 < argc) {
            options.runSeconds = std::atof(argv[++i]);
        } else if (std::strcmp(argv[i], "--quick") == 0) {
            options.frameRepetitions = 15;
            options.generations = 3;
            options.ticks = 300;
            options.saves = 3;
            options.scaleRuns = 1;
        } else if (std::strcmp(argv[i], "--scale-only") == 0) {
            options.scaleOnly = true;
        } else {
            std::fprintf(stderr, "usage: %s [--run-seconds S] [--quick] [--scale-only]\n", argv[0]);
            return false;
        }
    }
    return options.runSeconds > 0;
}

// The machine's one-minute load average: the figures mean little on a busy machine.
int cpuCount() {
    return static_cast<int>(sysconf(_SC_NPROCESSORS_ONLN));
}

double loadAverage() {
    double load = -1.0;
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(file, "%lf", &load) != 1) {
            load = -1.0;
        }
        std::fclose(file);
    }
    return load;
}

// The benchmark as a tool: the checkerboard save alone.
int writeCheckerboard(int argc, char** argv) {
    const int lastRow = argc > 3 ? std::atoi(argv[3]) : CHECKERBOARD_LAST_ROW;
    std::string problem;
    if (argc > 4 || lastRow <= CHECKERBOARD_FLOOR_ROW || lastRow > CHECKERBOARD_LAST_ROW ||
        !writeCheckerboardSave(argv[2], lastRow, problem)) {
        std::fprintf(stderr, "usage: %s --write-checkerboard DIRECTORY [LAST_ROW, %d to %d] %s\n",
                     argv[0], CHECKERBOARD_FLOOR_ROW + 1, CHECKERBOARD_LAST_ROW, problem.c_str());
        return 2;
    }
    return 0;
}

// The benchmark as a tool: the walking save alone.
int writeWalk(int argc, char** argv) {
    std::string problem;
    if (argc != 3 || !writeWalkSave(argv[2], problem)) {
        std::fprintf(stderr, "usage: %s --write-walk-save DIRECTORY %s\n", argv[0],
                     problem.c_str());
        return 2;
    }
    return 0;
}

bool startAllegro() {
    return al_init() && al_init_font_addon() && al_init_ttf_addon();
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc >= 3 && std::strcmp(argv[1], "--write-checkerboard") == 0) {
        return writeCheckerboard(argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--write-walk-save") == 0) {
        return writeWalk(argc, argv);
    }
    BenchOptions options;
    const bool scaleChild = argc == 6 && std::strcmp(argv[1], SCALE_CHILD_OPTION) == 0;
    const bool savingChild = argc == 5 && std::strcmp(argv[1], SAVING_CHILD_OPTION) == 0;
    if (!savingChild && !scaleChild && !parseOptions(argc, argv, options)) {
        return 2;
    }
    if (savingChild || scaleChild) {
        // A child plays the game, with the game's allocator setting (core/main.cpp): large
        // buffers are mapped on their own and go back when freed, as its memory figures assume.
        returnLargeBlocksToSystem();
    }
    if (!startAllegro()) {
        std::fprintf(stderr, "cannot start Allegro\n");
        return 1;
    }
    if (savingChild) {
        return runSavingChild(std::atoi(argv[3]), std::atoi(argv[4]), FONT_PATH, argv[2]);
    }
    if (scaleChild) {
        return runScaleChild(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), argv[5], FONT_PATH);
    }
    BenchTable table;
    addRow(table, "load average (1 min) at the start, on " + std::to_string(cpuCount()) + " cores",
           loadAverage(), "", 0);
    if (options.scaleOnly) {
        const bool scaled = benchScale(table, options.scaleRuns);
        addRow(table, "load average (1 min) at the end", loadAverage(), "", 0);
        printTable(table);
        return scaled ? 0 : 1;
    }
    for (const DisplaySize& size : FRAME_SIZES) {
        if (!benchFrames(table, size.width, size.height, options.frameRepetitions, FONT_PATH)) {
            std::fprintf(stderr, "cannot open a %d x %d display (is DISPLAY set?)\n", size.width,
                         size.height);
            return 1;
        }
    }
    benchGeneration(table, options.generations);
    benchTicks(table, options.ticks, EXTRA_SEGMENTS);
    const bool saved = benchSaving(table, options.saves);
    if (!benchRenderRun(table, RUN_SIZE.width, RUN_SIZE.height, options.runSeconds, FONT_PATH)) {
        std::fprintf(stderr, "cannot open the display for the render-thread run\n");
        return 1;
    }
    const bool savedInPlay = benchSavingInPlay(table, RUN_SIZE.width, RUN_SIZE.height);
    const bool scaled = benchScale(table, options.scaleRuns);
    addRow(table, "load average (1 min) at the end", loadAverage(), "", 0);
    printTable(table);
    return saved && savedInPlay && scaled ? 0 : 1;
}
