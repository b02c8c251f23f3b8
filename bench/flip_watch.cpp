#include "bench/flip_watch.h"

#include <algorithm>
#include <chrono>

#include "bench/bench_table.h"

namespace {

// The thread's own: `flips` is read only after it has been joined.
void watchFlips(const RenderThreadData* render, FlipWatch* watch) {
    uint64_t seen = render->framesShown.load();
    while (!watch->stopping.load()) {
        const uint64_t frames = render->framesShown.load();
        if (frames != seen) {
            seen = frames;
            watch->flips.push_back(benchSeconds());
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

} // namespace

void startFlipWatch(FlipWatch& watch, const RenderThreadData& render) {
    watch.flips.reserve(100000);
    watch.stopping = false;
    watch.watcher = std::thread(watchFlips, &render, &watch);
}

void stopFlipWatch(FlipWatch& watch) {
    watch.stopping = true;
    watch.watcher.join();
}

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
