// tellurn-bench: what drawing, ticking, generating and saving cost on this machine, printed as
// one table of medians. Needs an X display (bench/run.sh starts a virtual one).
//
//   tellurn-bench [--run-seconds S] [--quick]
//
// --run-seconds sets the length of the real render-thread run (30 by default); --quick takes
// fewer repetitions everywhere, for trying changes out. The benchmark runs itself twice more
// (with --saving-run-child) to save and load in play, on this disk and on a slow one.
#include <allegro5/allegro.h>
#include <allegro5/allegro_font.h>
#include <allegro5/allegro_ttf.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "bench/bench_table.h"
#include "bench/frame_bench.h"
#include "bench/render_run.h"
#include "bench/save_bench.h"
#include "bench/saving_run.h"
#include "bench/tick_bench.h"

namespace {

struct BenchOptions {
    double runSeconds = 30.0;
    int frameRepetitions = 60;
    int generations = 15;
    int ticks = 1200;
    int saves = 9;
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
        } else {
            std::fprintf(stderr, "usage: %s [--run-seconds S] [--quick]\n", argv[0]);
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

bool startAllegro() {
    return al_init() && al_init_font_addon() && al_init_ttf_addon();
}

} // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    BenchOptions options;
    const bool savingChild = argc == 3 && std::strcmp(argv[1], SAVING_CHILD_OPTION) == 0;
    if (!savingChild && !parseOptions(argc, argv, options)) {
        return 2;
    }
    if (!startAllegro()) {
        std::fprintf(stderr, "cannot start Allegro\n");
        return 1;
    }
    if (savingChild) {
        return runSavingChild(RUN_SIZE.width, RUN_SIZE.height, FONT_PATH, argv[2]);
    }
    BenchTable table;
    addRow(table, "load average (1 min) at the start, on " + std::to_string(cpuCount()) + " cores",
           loadAverage(), "", 0);
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
    const bool savedInPlay = benchSavingInPlay(table);
    addRow(table, "load average (1 min) at the end", loadAverage(), "", 0);
    printTable(table);
    return saved && savedInPlay ? 0 : 1;
}
