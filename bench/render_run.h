// The real render thread and the 25 real enemy threads, paced by a 60 Hz timer as the game
// paces them, while the player walks, jumps and builds: does every tick get its frame?
#pragma once

#include "bench/bench_table.h"

/// Runs the game's workers for `seconds` on a width x height display and adds the ticks, the
/// frames drawn and the flips per second to the table. Returns false without a display.
bool benchRenderRun(BenchTable& table, int width, int height, double seconds, const char* fontPath);
