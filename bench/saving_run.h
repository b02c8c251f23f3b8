// Saving and loading while the game runs, on this machine's disk and on a slow one: does every
// tick still get its frame? The slow disk is the tests' fault library (slow-fsync) preloaded
// into a child run of this benchmark, whose figures come back into the parent's table.
#pragma once

#include "bench/bench_table.h"

/// Option that makes the benchmark the child that measures on the slow disk.
constexpr const char* SLOW_DISK_CHILD_OPTION = "--slow-disk-child";

/// Plays the game with its real workers and its saver on a width x height display: a quiet
/// stretch, then five Save clicks a quarter of a second apart and a Load click right after, until
/// the load has been applied. Adds the longest wait between two frames (quiet, and over the
/// clicks), the main thread's cost of the clicks and the time from the first click to the load,
/// first on this machine's disk, then, from a child run, on a disk whose every flush takes
/// 300 ms. Returns false when a run fails or the fault library was not built.
bool benchSavingInPlay(BenchTable& table, int width, int height, const char* fontPath);

/// The child's part: the same run on the slow disk, its rows printed for the parent. Returns
/// the exit status.
int runSlowDiskChild(int width, int height, const char* fontPath);
