#include "core/saver.h"

#include <cstdio>
#include <utility>

#include "base/game_assert.h"
#include "base/worker.h"
#include "core/game.h"
#include "core/save_game.h"

namespace {

// Takes the slot and writes it, without the saver's mutex: a click meanwhile fills the slot
// again. Called and returns with the mutex held; the outcome is said under it, unless the game
// has already ended without waiting.
void writePending(Saver& saver) {
    GAME_ASSERT(!saver.loadRead.load(std::memory_order_relaxed),
                "a save was queued while a read load waits to be applied: clicks after a Load "
                "must wait for it (requestSaveAction)");
    std::swap(saver.pending, saver.writing);
    saver.writingClicks = std::exchange(saver.pendingClicks, 0);
    al_unlock_mutex(saver.mutex);
    const SaveOutcome outcome =
        writeSave(saver.writing.cells.cells, saver.writing.player, saver.blockTypes, saver.folder);
    al_lock_mutex(saver.mutex);
    if (!saver.abandoned) {
        saySaveOutcome(outcome, saver.writingClicks);
    }
    saver.writingClicks = 0;
    al_broadcast_cond(saver.settled);
}

// Reads a queued load for the main thread, without the saver's mutex. Called and returns with
// the mutex held.
void readQueuedLoad(Saver& saver) {
    saver.loadQueued = false;
    al_unlock_mutex(saver.mutex);
    saver.loadUsable = readUsableSave(saver.folder, saver.blockTypes, saver.loaded);
    saver.loadRead.store(true, std::memory_order_release);
    al_lock_mutex(saver.mutex);
    al_broadcast_cond(saver.settled);
}

// Saves come first: a load is queued only behind the saves clicked before it (clicks after it
// wait on the main thread). Pending work is looked for under the mutex before every wait, so no
// request and no stop request is missed; the stop is asked only once all work is done.
void* saverThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    Saver& saver = *static_cast<Saver*>(arg);
    al_lock_mutex(saver.mutex);
    for (;;) {
        if (saver.pendingClicks > 0) {
            writePending(saver);
        } else if (saver.loadQueued) {
            readQueuedLoad(saver);
        } else if (al_get_thread_should_stop(thread)) {
            break;
        } else {
            al_wait_cond(saver.cond, saver.mutex);
        }
    }
    al_unlock_mutex(saver.mutex);
    return nullptr;
}

// What the save file holds of the cells and the player as they stand now, into the slot. The
// state lock keeps the grid and the player still; the saver's mutex keeps the saver from taking
// a half-copied slot.
void queueSave(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(game.stateLock);
    al_lock_mutex(saver.mutex);
    refreshSnapshot(game.world, saver.pending.cells);
    saver.pending.player = game.player;
    ++saver.pendingClicks;
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
    al_unlock_mutex(game.stateLock);
}

void queueLoad(Saver& saver) {
    al_lock_mutex(saver.mutex);
    saver.loadQueued = true;
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
    saver.loadOutstanding = true;
}

// True, under the saver's mutex, once every click has been carried out.
bool allDone(const Saver& saver) {
    return !saver.loadOutstanding && saver.pendingClicks == 0 && saver.writingClicks == 0;
}

void sayNotDone(SaveAction action, double seconds) {
    if (action == SAVE_ACTION) {
        std::printf("Save not finished: the disk did not answer within %g seconds; the previous "
                    "save is kept\n",
                    seconds);
    } else {
        std::printf("Load not finished: the disk did not answer within %g seconds\n", seconds);
    }
}

// Under the saver's mutex, in the order of the clicks: the save being written, the saves
// waiting in the slot, the load on its way, the clicks behind it.
void sayEveryClickNotDone(const Saver& saver, double seconds) {
    for (int click = 0; click < saver.writingClicks + saver.pendingClicks; ++click) {
        sayNotDone(SAVE_ACTION, seconds);
    }
    if (saver.loadOutstanding) {
        sayNotDone(LOAD_ACTION, seconds);
    }
    for (const SaveAction action : saver.deferred) {
        sayNotDone(action, seconds);
    }
}

void stopSaverThread(Saver& saver) {
    stopWorker(saver.thread, saver.mutex, saver.cond);
    saver.thread = nullptr;
    saver.running = false;
}

} // namespace

bool createSaver(Saver& saver) {
    saver.thread = al_create_thread(saverThreadProc, &saver);
    saver.mutex = al_create_mutex();
    saver.cond = al_create_cond();
    saver.settled = al_create_cond();
    return saver.thread != nullptr && saver.mutex != nullptr && saver.cond != nullptr &&
           saver.settled != nullptr;
}

void startSaver(Game& game) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.thread != nullptr && !saver.running,
                "startSaver needs a saver made by createSaver and not yet started");
    saver.blockTypes = game.blockTypes; // bound to the atlas by now
    // Both snapshots are made now, so that a Save click copies only the chunks changed since.
    refreshSnapshot(game.world, saver.pending.cells);
    refreshSnapshot(game.world, saver.writing.cells);
    al_start_thread(saver.thread);
    saver.running = true;
}

bool saverRunning(const Saver& saver) {
    return saver.running;
}

bool loadOnItsWay(const Saver& saver) {
    return saver.loadOutstanding;
}

void requestSaveAction(Game& game, SaveAction action) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.running, "a click went to a saver that does not run: test saverRunning");
    if (saver.loadOutstanding) {
        saver.deferred.push_back(action);
    } else if (action == SAVE_ACTION) {
        queueSave(game);
    } else {
        queueLoad(saver);
    }
}

void applyReadLoad(Game& game) {
    Saver& saver = game.saver;
    if (!saver.loadOutstanding) {
        return;
    }
    if (!saver.loadApplying) {
        if (!saver.loadRead.load(std::memory_order_acquire)) {
            return; // still on its way
        }
        startLoad(game, saver.loadUsable, saver.loaded);
        saver.loadRead.store(false, std::memory_order_relaxed);
        saver.loadApplying = true;
    }
    if (loadBeingApplied(game)) {
        return; // its segments go in over the next ticks (continueLoad)
    }
    saver.loadApplying = false;
    saver.loadOutstanding = false;
    // The whole grid changed: the next Save's snapshot is brought up to date with the load's
    // last share, not at the click. The saver takes the slot only when a click fills it.
    al_lock_mutex(saver.mutex);
    refreshSnapshot(game.world, saver.pending.cells);
    al_unlock_mutex(saver.mutex);
    // Handed on in order; a Load among them makes the rest wait again.
    while (!saver.deferred.empty() && !saver.loadOutstanding) {
        const SaveAction action = saver.deferred.front();
        saver.deferred.pop_front();
        requestSaveAction(game, action);
    }
}

bool finishSaver(Game& game, double seconds) {
    Saver& saver = game.saver;
    if (!saver.running) {
        return true;
    }
    ALLEGRO_TIMEOUT deadline;
    al_init_timeout(&deadline, seconds);
    al_lock_mutex(saver.mutex);
    while (!allDone(saver)) {
        if (saver.loadApplying || saver.loadRead.load(std::memory_order_acquire)) {
            al_unlock_mutex(saver.mutex); // applying may queue saves, which take the mutex
            continueLoad(game);
            applyReadLoad(game);
            al_lock_mutex(saver.mutex);
        } else if (al_wait_cond_until(saver.settled, saver.mutex, &deadline) != 0 &&
                   !allDone(saver) && !saver.loadRead.load(std::memory_order_acquire)) {
            saver.abandoned = true;
            sayEveryClickNotDone(saver, seconds);
            al_unlock_mutex(saver.mutex);
            return false;
        }
    }
    al_unlock_mutex(saver.mutex);
    stopSaverThread(saver);
    return true;
}

void destroySaver(Saver& saver) {
    if (saver.thread != nullptr) {
        al_destroy_thread(saver.thread); // never started: it ends without running
        saver.thread = nullptr;
    }
    if (saver.mutex != nullptr) {
        al_destroy_mutex(saver.mutex);
        saver.mutex = nullptr;
    }
    for (ALLEGRO_COND** cond : {&saver.cond, &saver.settled}) {
        if (*cond != nullptr) {
            al_destroy_cond(*cond);
            *cond = nullptr;
        }
    }
}
