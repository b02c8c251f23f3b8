// What the game asks of its own process beyond files: how its threads are scheduled and how its
// memory is kept. Each platform implements it in a file of its own (process_posix.cpp).
#pragma once

#include <cstddef>

/// Lowers the calling thread's priority as far as a program may without privileges, so that work
/// that is never urgent runs on what the urgent threads leave. Where the system refuses, the
/// thread runs as before.
void lowerThisThreadPriority();

/// The size from which a block of memory is large: a save read whole, a world's worth of cells.
constexpr size_t LARGE_BLOCK_BYTES = 1 << 20;

/// Asks the allocator to give blocks of LARGE_BLOCK_BYTES and more back to the system as soon as
/// they are freed, instead of keeping them in the heap for the rest of the run.
void returnLargeBlocksToSystem();
