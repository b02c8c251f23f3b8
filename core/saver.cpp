#include "core/saver.h"

#include <algorithm>
#include <utility>

#include "base/game_assert.h"
#include "base/worker.h"
#include "core/game.h"
#include "core/save_game.h"

namespace {

// Writes what the slot held, without the saver's mutex: a click meanwhile fills the slot again.
void writeTaken(Saver& saver, int clicks) {
    writeSaveSaying(*saver.writing.world, saver.writing.player, saver.blockTypes, saver.directory,
                    saver.bytes, clicks);
}

void readForMainThread(Saver& saver) {
    saver.loadUsable = readUsableSave(saver.directory, saver.blockTypes, saver.loaded);
    saver.loadRead.store(true, std::memory_order_release);
}

// Saves come first: a load is queued only behind the saves clicked before it (clicks after it
// wait on the main thread). Pending work is looked for under the mutex before every wait, so no
// request and no stop request is missed; at the stop, the last save is still written.
void* saverThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    Saver& saver = *static_cast<Saver*>(arg);
    al_lock_mutex(saver.mutex);
    for (;;) {
        if (saver.pendingClicks > 0) {
            GAME_ASSERT(!saver.loadRead.load(std::memory_order_relaxed),
                        "a save was queued while a read load waits for the main thread: clicks "
                        "after a Load must wait for it (requestSaveAction)");
            std::swap(saver.pending, saver.writing);
            const int clicks = std::exchange(saver.pendingClicks, 0);
            al_unlock_mutex(saver.mutex);
            writeTaken(saver, clicks);
            al_lock_mutex(saver.mutex);
        } else if (al_get_thread_should_stop(thread)) {
            break; // a load still queued is dropped with the game
        } else if (saver.loadQueued) {
            saver.loadQueued = false;
            al_unlock_mutex(saver.mutex);
            readForMainThread(saver);
            al_lock_mutex(saver.mutex);
        } else {
            al_wait_cond(saver.cond, saver.mutex);
        }
    }
    al_unlock_mutex(saver.mutex);
    return nullptr;
}

// The cells and the player as they stand now, into the slot. The state lock keeps the grid and
// the player still; the saver's mutex keeps the saver from taking a half-copied slot.
void queueSave(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(game.stateLock);
    al_lock_mutex(saver.mutex);
    std::copy(std::begin(game.world.cells), std::end(game.world.cells),
              std::begin(saver.pending.world->cells));
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

} // namespace

bool createSaver(Saver& saver) {
    saver.thread = al_create_thread(saverThreadProc, &saver);
    saver.mutex = al_create_mutex();
    saver.cond = al_create_cond();
    // Allocated (and zeroed, so every page is touched) now, not at the first click.
    saver.pending.world = std::make_unique<World>();
    saver.writing.world = std::make_unique<World>();
    return saver.thread != nullptr && saver.mutex != nullptr && saver.cond != nullptr;
}

void startSaver(Game& game) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.thread != nullptr && !saver.running,
                "startSaver needs a saver made by createSaver and not yet started");
    saver.blockTypes = game.blockTypes; // bound to the atlas by now
    al_start_thread(saver.thread);
    saver.running = true;
}

bool saverRunning(const Saver& saver) {
    return saver.running;
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
    // Handed on in order; a Load among them makes the rest wait again.
    while (!saver.deferred.empty() && !saver.loadOutstanding) {
        const SaveAction action = saver.deferred.front();
        saver.deferred.pop_front();
        requestSaveAction(game, action);
    }
}

void stopSaver(Saver& saver) {
    GAME_ASSERT(saver.running, "stopSaver needs a saver that startSaver started");
    stopWorker(saver.thread, saver.mutex, saver.cond);
    saver.thread = nullptr;
    saver.running = false;
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
    if (saver.cond != nullptr) {
        al_destroy_cond(saver.cond);
        saver.cond = nullptr;
    }
}
