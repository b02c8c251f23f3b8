#include "core/saver.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>

#include "base/game_assert.h"
#include "base/worker.h"
#include "core/click_lines.h"
#include "core/game.h"
#include "core/save_game.h"

namespace {

// Chunks of each snapshot copied per tick after a Load, about 1.3 ms of the main thread for each
// here: the grid's 345 in three ticks.
constexpr int SNAPSHOT_CHUNKS_PER_TICK = 120;

// The highest nice value.
constexpr int LOWEST_PRIORITY = 19;

// ---- The saver thread ----

// Takes the slot and writes it, without the mutex: a click meanwhile fills the slot again.
// Called and returns with the mutex held; says the outcome unless the game stopped waiting.
void writePending(Saver& saver) {
    SaverShared& shared = saver.shared;
    std::swap(shared.pending, saver.own.writing);
    shared.writingClicks = std::exchange(shared.pendingClicks, 0);
    shared.gate.placed = false;
    shared.gate.standing = PREVIOUS_SAVE_KEPT;
    al_unlock_mutex(saver.mutex);
    const SaveOutcome outcome =
        writeSave(saver.own.writing.cells.cells, saver.own.writing.player, saver.own.blockTypes,
                  saver.own.folder, saver.own.encoded);
    al_lock_mutex(saver.mutex);
    if (!shared.gate.closed) {
        saySaveOutcome(outcome, shared.writingClicks);
    }
    shared.writingClicks = 0;
    al_broadcast_cond(saver.settled);
}

// Reads the queued Load for the main thread, without the mutex. Called and returns with the
// mutex held.
void readQueuedLoad(Saver& saver) {
    SaverShared& shared = saver.shared;
    shared.state = CLICKS_LOAD_READING;
    al_unlock_mutex(saver.mutex);
    ReadSave read;
    std::string said;
    const bool usable = readUsableSave(saver.own.folder, saver.own.blockTypes, read, said);
    al_lock_mutex(saver.mutex);
    if (!shared.gate.closed) {
        sayLoadRead(said);
    }
    shared.loadUsable = usable;
    shared.loaded.bytes.swap(read.bytes);
    shared.state = CLICKS_LOAD_READ;
    al_broadcast_cond(saver.settled);
}

// A save is never urgent, a frame always is. At the frames' own priority, a thread woken on the
// saver's core waited up to 8 ms for the saver's time slice to end (measured on 2 cores); at the
// lowest, the saver's encoding and writing run on what the ticks and frames leave. Making one's
// own thread nicer is always allowed; were it refused, the saver would only run as before.
void lowerSaverPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LOWEST_PRIORITY);
}

// Saves come first: a Load is queued only behind the saves clicked before it. Work is looked for
// under the mutex before every wait, so no request and no stop request is missed; the stop is
// asked only once all work is done. Once the game stops waiting, the saver takes no more work.
void* saverThreadProc(ALLEGRO_THREAD* thread, void* arg) {
    Saver& saver = *static_cast<Saver*>(arg);
    lowerSaverPriority();
    SaverShared& shared = saver.shared;
    al_lock_mutex(saver.mutex);
    while (!shared.gate.closed) {
        if (shared.pendingClicks > 0) {
            writePending(saver);
        } else if (shared.state == CLICKS_LOAD_QUEUED) {
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

// ---- The main thread's transitions ----

ClickState clickState(Saver& saver) {
    al_lock_mutex(saver.mutex);
    const ClickState state = saver.shared.state;
    al_unlock_mutex(saver.mutex);
    return state;
}

void setClickState(Saver& saver, ClickState state) {
    al_lock_mutex(saver.mutex);
    saver.shared.state = state;
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
}

// A Save click: what the save file holds of the cells and the player as they stand now, into
// the slot. The state lock keeps the grid and the player still; the mutex keeps the saver from
// taking a half-copied slot.
void queueSave(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(game.stateLock);
    al_lock_mutex(saver.mutex);
    refreshSnapshot(game.world, saver.shared.pending.cells);
    saver.shared.pending.player = game.player;
    ++saver.shared.pendingClicks;
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
    al_unlock_mutex(game.stateLock);
}

// IDLE to LOAD_QUEUED.
void queueLoad(Saver& saver) {
    setClickState(saver, CLICKS_LOAD_QUEUED);
}

// LOAD_READ to APPLYING: the read save starts going in place (or, when there was none to load,
// only loadFailed is set).
void takeReadLoad(Game& game) {
    Saver& saver = game.saver;
    ReadSave read;
    al_lock_mutex(saver.mutex);
    const bool usable = saver.shared.loadUsable;
    read.bytes.swap(saver.shared.loaded.bytes);
    saver.shared.state = CLICKS_APPLYING;
    al_unlock_mutex(saver.mutex);
    startLoad(game, usable, read);
}

// In APPLYING, once the load's cells are in place: the whole grid may have changed, so both
// snapshots are brought up to date now, not at the next Save clicks, a share per tick (a whole
// grid at once would cost a frame). True once both are. No write is in hand, as every Save
// waited for the Load.
bool catchUpSnapshots(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(saver.mutex);
    GAME_ASSERT(saver.shared.pendingClicks == 0 && saver.shared.writingClicks == 0,
                "a save was written while a Load was on its way: clicks after a Load must wait "
                "for it (requestSaveAction)");
    const bool pendingDone =
        refreshSnapshotChunks(game.world, saver.shared.pending.cells, SNAPSHOT_CHUNKS_PER_TICK);
    const bool writingDone =
        refreshSnapshotChunks(game.world, saver.own.writing.cells, SNAPSHOT_CHUNKS_PER_TICK);
    al_unlock_mutex(saver.mutex);
    return pendingDone && writingDone;
}

// APPLYING to IDLE.
void endClickedLoad(Saver& saver) {
    setClickState(saver, CLICKS_IDLE);
}

// The clicks that waited for the Load, in order; a Load among them makes the rest wait again.
void handOnWaiting(Game& game) {
    Saver& saver = game.saver;
    while (!saver.main.waiting.empty() && clickState(saver) == CLICKS_IDLE) {
        const SaveAction action = saver.main.waiting.front();
        saver.main.waiting.pop_front();
        requestSaveAction(game, action);
    }
}

// ---- The close ----

bool saveWaiting(const Saver& saver) {
    const std::deque<SaveAction>& waiting = saver.main.waiting;
    return std::find(waiting.begin(), waiting.end(), SAVE_ACTION) != waiting.end();
}

// Once the window has gone, only a Save can still want a Load: the Loads clicked after the last
// Save are not carried out, and each says so.
void dropTrailingLoads(Saver& saver) {
    std::deque<SaveAction>& waiting = saver.main.waiting;
    while (!waiting.empty() && waiting.back() == LOAD_ACTION) {
        waiting.pop_back();
        sayLoadNotDone();
    }
}

// The Load on its way, when no Save waits behind it: a queued one is never read, a read one
// never put in place. One being read is dropped once read (its line first): false until then.
bool dropUnneededLoad(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(saver.mutex);
    const ClickState state = saver.shared.state;
    const bool needed = state == CLICKS_IDLE || saveWaiting(saver);
    if (needed || state == CLICKS_LOAD_READING) {
        al_unlock_mutex(saver.mutex);
        return needed;
    }
    SaveBytes().swap(saver.shared.loaded.bytes);
    saver.shared.state = CLICKS_IDLE;
    al_unlock_mutex(saver.mutex);
    saver.main.load = SaveBeingApplied{}; // what went in stays: nobody sees or saves it now
    sayLoadNotDone();
    return true;
}

// Under the mutex, once every click has been carried out.
bool allDone(const Saver& saver) {
    return saver.shared.state == CLICKS_IDLE && saver.shared.pendingClicks == 0 &&
           saver.shared.writingClicks == 0 && saver.main.waiting.empty();
}

// Closes the gate and says, in the order of the clicks, what became of each one not done: the
// save being written, the saves in the slot, the Load on its way, the clicks behind it.
void abandonSaver(Saver& saver, double seconds) {
    al_lock_mutex(saver.mutex);
    SaverShared& shared = saver.shared;
    shared.gate.closed = true;
    for (int click = 0; click < shared.writingClicks; ++click) {
        sayWriteCutShort(shared.gate, seconds);
    }
    for (int click = 0; click < shared.pendingClicks; ++click) {
        saySaveNotFinished(seconds);
    }
    if (shared.state != CLICKS_IDLE) {
        sayLoadNotFinished(seconds);
    }
    for (const SaveAction action : saver.main.waiting) {
        if (action == SAVE_ACTION) {
            saySaveNotFinished(seconds);
        } else {
            sayLoadNotFinished(seconds);
        }
    }
    al_unlock_mutex(saver.mutex);
}

// Waits for the saver to settle something, until the deadline. False once it has passed.
bool waitForSaver(Saver& saver, ALLEGRO_TIMEOUT& deadline) {
    al_lock_mutex(saver.mutex);
    bool inTime = true;
    if (!allDone(saver) && saver.shared.state != CLICKS_LOAD_READ &&
        saver.shared.state != CLICKS_APPLYING) {
        inTime = al_wait_cond_until(saver.settled, saver.mutex, &deadline) == 0;
    }
    al_unlock_mutex(saver.mutex);
    return inTime;
}

bool savesAllDone(Saver& saver) {
    al_lock_mutex(saver.mutex);
    const bool done = allDone(saver);
    al_unlock_mutex(saver.mutex);
    return done;
}

void stopSaverThread(Saver& saver) {
    stopWorker(saver.thread, saver.mutex, saver.cond);
    saver.thread = nullptr;
    saver.main.running = false;
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
    refreshSnapshot(game.world, saver.shared.pending.cells);
    refreshSnapshot(game.world, saver.own.writing.cells);
    al_start_thread(saver.thread);
    saver.main.running = true;
}

bool saverRunning(const Saver& saver) {
    return saver.main.running;
}

bool loadOnItsWay(Game& game) {
    if (!game.saver.main.running) {
        return false;
    }
    const ClickState state = clickState(game.saver);
    return state != CLICKS_IDLE && (state != CLICKS_APPLYING || loadBeingApplied(game));
}

void requestSaveAction(Game& game, SaveAction action) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.main.running, "a click went to a saver that does not run: test saverRunning");
    if (clickState(saver) != CLICKS_IDLE) {
        saver.main.waiting.push_back(action);
    } else if (action == SAVE_ACTION) {
        queueSave(game);
    } else {
        queueLoad(saver);
    }
}

void advanceClicks(Game& game) {
    // The tick that puts a load's last share in place leaves the snapshots to the next ones.
    const bool loadWentOn = loadBeingApplied(game);
    continueLoad(game); // a load goes on wherever it came from
    Saver& saver = game.saver;
    if (!saver.main.running) {
        return;
    }
    const ClickState state = clickState(saver);
    if (state == CLICKS_LOAD_READ) {
        takeReadLoad(game);
    }
    if ((state == CLICKS_LOAD_READ || state == CLICKS_APPLYING) && !loadWentOn &&
        !loadBeingApplied(game) && catchUpSnapshots(game)) {
        endClickedLoad(saver);
        handOnWaiting(game);
    }
}

bool finishSaver(Game& game, double seconds) {
    Saver& saver = game.saver;
    if (!saver.main.running) {
        return true;
    }
    ALLEGRO_TIMEOUT deadline;
    al_init_timeout(&deadline, seconds);
    const double stopAt = al_get_time() + seconds;
    dropTrailingLoads(saver);
    bool inTime = true;
    while (inTime && !savesAllDone(saver)) {
        if (!dropUnneededLoad(game)) {
            inTime = waitForSaver(saver, deadline); // the Load being read, to drop it once read
            continue;
        }
        const ClickState state = clickState(saver);
        if (state == CLICKS_LOAD_READ || state == CLICKS_APPLYING) {
            advanceClicks(game); // a share of the load, then the clock again
            inTime = al_get_time() < stopAt;
        } else {
            inTime = waitForSaver(saver, deadline);
        }
    }
    if (!inTime && !savesAllDone(saver)) {
        abandonSaver(saver, seconds);
        return false;
    }
    stopSaverThread(saver);
    return true;
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
