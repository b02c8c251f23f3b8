// The saver thread: the file work of the Save and Load clicks (core/clicks.h), so that a slow
// disk never stops the game. It takes its work under the mutex and does it without.
#pragma once

#include <allegro5/allegro.h>

#include "core/clicks.h"
#include "world/block_types.h"
#include "world/save_file.h"

/// The saver thread's own while it runs; the main thread's before startSaver and once the
/// thread has ended.
struct SaverThreadOwn {
    /// Where the save lives, and what this run knows of it.
    SaveFolder folder;
    /// Copy of the block-type table for the check.
    BlockTypes blockTypes;
};

/// The saver thread and the state of the clicks, each field in the record of who writes it.
struct Saver {
    /// Made and freed by the main thread while the saver thread does not run.
    ALLEGRO_THREAD* thread;
    /// Guards `shared`; never held across file work.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast when work comes for the saver and at the stop request.
    ALLEGRO_COND* cond;
    /// Broadcast by the saver whenever it has finished a write or a read.
    ALLEGRO_COND* settled;
    /// The clicks and what the saver takes from them: either thread's, under `mutex`.
    ClicksUnderMutex shared;
    /// The saver thread's own while it runs.
    SaverThreadOwn own;
    /// The main thread's own.
    ClicksMainThread main;
};

/// Creates the saver's thread (not started), mutex and conditions. Returns false when one
/// cannot be made.
bool createSaver(Saver& saver);

/// Gives the saver its copy of the block-type table and its first snapshots of the world, and
/// starts its thread.
void startSaver(Game& game);

/// True while the saver's thread runs: the HUD's clicks go to it.
bool saverRunning(const Saver& saver);

/// Asks the saver thread to stop once its work is done and waits for it to end.
void stopSaverThread(Saver& saver);

/// Frees what createSaver made; a saver that was started must have been finished first.
void destroySaver(Saver& saver);
