// How the cost of a load grows with the world: the generated world beside checkerboards of
// growing depth (bench/checkerboard.h), each started with Load World in a fresh child run of
// this benchmark and then loaded again in play.
#pragma once

#include "bench/bench_table.h"

/// Option that makes the benchmark a child that starts one world and loads it in play; the
/// save's directory, the display's width and height and the world's name follow.
constexpr const char* SCALE_CHILD_OPTION = "--scale-child";

/// Writes the saves, then for each world, `runs` times, a child run (runScaleChild) at
/// 1680 x 1050, and the full checkerboard once more at 1440 x 900; adds the medians of their
/// figures. Returns false when a save cannot be written or a run fails.
bool benchScale(BenchTable& table, int runs);

/// A child's part: Load World from `directory` on a width x height display, to the first frame;
/// a quiet second; a Save click; then a Load click in play, until the world is in place. Prints
/// its rows for the parent (the world's exposed faces, the time to the first frame, the Save
/// click's main-thread time, the longest wait between frames from the Load click on, resident
/// memory at the first frame and after, and the peak). Returns the exit status.
int runScaleChild(const char* directory, int width, int height, const char* world,
                  const char* fontPath);
