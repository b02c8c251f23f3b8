// The real render thread and the 25 real enemy threads, paced by a 60 Hz timer as the game
// paces them, while the player walks, jumps and builds: does every tick get its frame?
#pragma once

#include "bench/bench_table.h"
#include "core/game.h"

/// The game at one display size with its real render and enemy threads (created, not started)
/// and its saver, ticked by its timer: the timer's events are the only ones in its queue.
/// Returns false when a library object or a worker cannot be made.
bool openRunGame(Game& game, int width, int height, const char* fontPath);

/// One tick of the game, the player holding Right, jumping now and then and building a block
/// ahead of its head or mining it again every 20 ticks, like a player's clicks.
void runTick(Game& game, long tick);

/// Finishes the game's saver as the game's close does. A saver that does not finish in time
/// cannot be freed or joined: the run then says so and its process ends.
void finishRunSaver(Game& game);

/// Stops the game's workers, then finishRunSaver.
void stopRunGame(Game& game);

/// Runs the game's workers for `seconds` on a width x height display and adds the ticks, the
/// frames drawn and the flips per second to the table. Returns false without a display.
bool benchRenderRun(BenchTable& table, int width, int height, double seconds, const char* fontPath);
