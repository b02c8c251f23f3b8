// What the game asks of its own process beyond files: where it keeps its saves, how its console
// shows lines, how its threads are scheduled and how its memory is kept. Each platform implements
// it in a file of its own (process_posix.cpp, process_windows.cpp).
#pragma once

#include <cstddef>
#include <string>

/// Makes each line the game prints reach its console as soon as it is printed, whole, even when
/// the console is a pipe and several threads print.
void printLinesAsTheyCome();

/// Settles this copy of the game in its folders, once at start: afterwards `./data` is the
/// game's own data, and `saveFolder` is where it keeps its saves (the working directory the game
/// was started in on Linux, where a launcher chooses it; beside the game on Windows, or the
/// user's application data when the game was installed). False, with `problem` saying why, when
/// the save folder cannot be made.
bool settleInGameFolders(std::string& saveFolder, std::string& problem);

/// Lowers the calling thread's priority as far as a program may without privileges and without
/// starving it, so that work that is never urgent runs on what the urgent threads leave. Where
/// the system refuses, the thread runs as before.
void lowerThisThreadPriority();

/// The size from which a block of memory is large: a save read whole, a world's worth of cells.
constexpr size_t LARGE_BLOCK_BYTES = 1 << 20;

/// Asks the allocator to give blocks of LARGE_BLOCK_BYTES and more back to the system as soon as
/// they are freed, instead of keeping them in the heap for the rest of the run.
void returnLargeBlocksToSystem();
