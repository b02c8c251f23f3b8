#include "core/saver.h"

#include "base/game_assert.h"
#include "base/process.h"
#include "base/worker.h"
#include "core/click_lines.h"
#include "core/game.h"
#include "core/save_game.h"

namespace {

// Writes the state taken from the slot, without the mutex: a click meanwhile fills the slot
// again. Called and returns with the mutex held.
void writeTakenSlot(Saver& saver) {
    const SaveSnapshot& writing = saver.shared.writing;
    saver.shared.gate.placed = false;
    saver.shared.gate.standing = PREVIOUS_SAVE_KEPT;
    al_unlock_mutex(saver.mutex);
    const SaveOutcome outcome =
        writeSave(writing.cells.cells, writing.player, saver.own.blockTypes, saver.own.folder);
    al_lock_mutex(saver.mutex);
    endWrite(saver.shared, outcome);
    al_broadcast_cond(saver.settled);
}

// Reads the Load taken for the main thread, without the mutex. Called and returns with the
// mutex held.
void readTakenLoad(Saver& saver) {
    al_unlock_mutex(saver.mutex);
    ReadSave read;
    std::string said;
    const bool usable = readUsableSave(saver.own.folder, saver.own.blockTypes, read.bytes, said);
    al_lock_mutex(saver.mutex);
    endRead(saver.shared, usable, read, said);
    al_broadcast_cond(saver.settled);
}

// A save is never urgent, a frame always is. At the frames' own priority, a thread woken on the
// saver's core waited up to 8 ms for the saver's time slice to end (measured on 2 cores); at the
// lowest, the saver's encoding and writing run on what the ticks and frames leave. Making one's
// own thread nicer is always allowed; were it refused, the saver would only run as before.
void lowerSaverPriority() {
    lowerThisThreadPriority();
}

// Work is looked for under the mutex before every wait, so no click and no stop request is
// missed; the stop is asked only once all work is done. Once the game stops waiting, the saver
// takes no more work.
void* saverThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    Saver& saver = *static_cast<Saver*>(arg);
    lowerSaverPriority();
    al_lock_mutex(saver.mutex);
    while (!saver.shared.gate.closed) {
        const SaverWork work = takeSaverWork(saver.shared);
        if (work == SAVER_WRITES) {
            writeTakenSlot(saver);
        } else if (work == SAVER_READS) {
            readTakenLoad(saver);
        } else if (al_get_thread_should_stop(thread)) {
            break;
        } else {
            al_wait_cond(saver.cond, saver.mutex);
        }
    }
    al_unlock_mutex(saver.mutex);
    return nullptr;
}

} // namespace

bool createSaver(Saver& saver) {
    saver.thread = al_create_thread(saverThreadProc, &saver);
    saver.mutex = al_create_mutex();
    saver.cond = al_create_cond();
    saver.settled = al_create_cond();
    saver.shared.gate.mutex = saver.mutex;
    return saver.thread != nullptr && saver.mutex != nullptr && saver.cond != nullptr &&
           saver.settled != nullptr;
}

void startSaver(Game& game) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.thread != nullptr && !saver.main.running,
                "startSaver needs a saver made by createSaver and not yet started");
    saver.own.blockTypes = game.blockTypes; // bound to the atlas by now
    saver.own.folder.gate = &saver.shared.gate;
    // Both snapshots are made now, so that a Save click copies only the chunks changed since.
    al_lock_mutex(saver.mutex);
    refreshSnapshot(game.world, saver.shared.slot.cells);
    refreshSnapshot(game.world, saver.shared.writing.cells);
    al_unlock_mutex(saver.mutex);
    al_start_thread(saver.thread);
    saver.main.running = true;
}

bool saverRunning(const Saver& saver) {
    return saver.main.running;
}

void stopSaverThread(Saver& saver) {
    stopWorker(saver.thread, saver.mutex, saver.cond);
    saver.thread = nullptr;
    saver.main.running = false;
}

void destroySaver(Saver& saver) {
    if (saver.thread != nullptr) {
        al_destroy_thread(saver.thread); // joins it: a saver left at the close ends on its own
        saver.thread = nullptr;
    }
    saver.own.folder.gate = nullptr; // its mutex goes
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
