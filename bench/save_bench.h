// Saving and loading the world beside one plain write and read of a file of the same size.
#pragma once

#include "bench/bench_table.h"

/// Times saving and loading `repetitions` times each in a directory of its own under /tmp,
/// beside plain writes (with and without a flush to disk) and reads of 15,206,704 bytes; then
/// what a Save click (the copy for the saver thread) and a Load click (applying the read save)
/// cost the main thread.
/// Returns false when the directory cannot be made.
bool benchSaving(BenchTable& table, int repetitions);
