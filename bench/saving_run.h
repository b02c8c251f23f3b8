// Saving and loading while the game runs, on this machine's disk and on a slow one: does every
// tick still get its frame? Each disk gets a fresh child run of this benchmark, whose figures
// come back into the parent's table; the slow disk is the tests' fault library (slow-fsync)
// preloaded into its child.
#pragma once

#include "bench/bench_table.h"

/// Option that makes the benchmark a child that measures saving in play; the disk's name and the
/// display's width and height follow.
constexpr const char* SAVING_CHILD_OPTION = "--saving-run-child";

/// In child runs (runSavingChild), plays the game with its real workers and its saver: a quiet
/// stretch, then five Save clicks a quarter of a second apart and a Load click right after, until
/// the load has been applied. Adds the longest wait between two frames (quiet, and over the
/// clicks), the main thread's cost of the clicks, the time from the first click to the load and
/// the resident memory at the first frame, at the end and at its peak: first on this machine's
/// disk on a width x height display and on a 1440 x 900 one, then three times on a disk whose
/// every flush takes 300 ms, with the worst frame wait of those three. Returns false when a run
/// fails or the fault library was not built.
bool benchSavingInPlay(BenchTable& table, int width, int height);

/// A child's part: the run on a width x height display, its rows naming `disk`, printed for the
/// parent. Returns the exit status.
int runSavingChild(int width, int height, const char* fontPath, const char* disk);
