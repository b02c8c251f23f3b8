// The main thread's work without drawing: generating a world, and one tick on a fresh world
// and on one that a player has dug through.
#pragma once

#include "bench/bench_table.h"

/// Times generating a world `repetitions` times.
void benchGeneration(BenchTable& table, int repetitions);

/// Times `ticks` ticks on a fresh world, then on the same world after digging and building
/// have added `extraSegments` segments.
void benchTicks(BenchTable& table, int ticks, int extraSegments);
