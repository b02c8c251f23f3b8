// When the render thread flips its frames, as a thread of the benchmark's own sees its count
// of frames change: the waits between frames that a player sees.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

#include "presentation/render_thread.h"

/// Watches the render thread's frame count every half millisecond from start until stop.
struct FlipWatch {
    /// When each frame was seen flipped (benchSeconds).
    std::vector<double> flips;
    std::atomic<bool> stopping{false};
    std::thread watcher;
};

/// Starts watching the frames of `render`.
void startFlipWatch(FlipWatch& watch, const RenderThreadData& render);

/// Stops watching; `flips` holds every flip seen.
void stopFlipWatch(FlipWatch& watch);

/// The longest wait between two flips from `from` to `to`, the wait into the first flip after
/// `from` and out of the last before `to` included, in milliseconds.
double longestFrameWait(const std::vector<double>& flips, double from, double to);
