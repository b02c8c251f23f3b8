#include "core/clicks.h"

#include <algorithm>
#include <allegro5/allegro.h>
#include <cstddef>
#include <iterator>
#include <utility>

#include "base/game_assert.h"
#include "core/click_lines.h"
#include "core/game.h"
#include "core/save_game.h"
#include "core/saver.h"

namespace {

// Chunks of each snapshot copied per tick after a Load, about 1.3 ms of the main thread for each
// here: the grid's 345 in three ticks.
constexpr int SNAPSHOT_CHUNKS_PER_TICK = 120;

// What moves a click from one stage to the next: the arrows' names in the diagram.
enum ClickEvent {
    HANDED_ON,
    SLOT_TAKEN,
    WRITTEN,
    READ_TAKEN,
    READ,
    SAVE_TAKEN,
    NOTHING_TO_LOAD,
    CELLS_DECODED,
    IN_PLACE,
    CAUGHT_UP,
    DROPPED,
    ITS_TURN,
    CLOSED_IN_PLACE,
};

struct ClickMove {
    ClickStage from;
    ClickEvent event;
    ClickStage to;
};

// Every move a click makes, and none other: the diagram in core/clicks.h, arrow by arrow.
const ClickMove CLICK_MOVES[] = {
    {SAVE_WAITING, HANDED_ON, SAVE_IN_SLOT},
    {SAVE_IN_SLOT, SLOT_TAKEN, SAVE_WRITING},
    {SAVE_WRITING, WRITTEN, CLICK_OVER},
    {LOAD_WAITING, HANDED_ON, LOAD_QUEUED},
    {LOAD_QUEUED, READ_TAKEN, LOAD_READING},
    {LOAD_READING, READ, LOAD_READ},
    {LOAD_READ, SAVE_TAKEN, LOAD_DECODING},
    {LOAD_READ, NOTHING_TO_LOAD, LOAD_CATCHING_UP},
    {LOAD_DECODING, CELLS_DECODED, LOAD_REBUILDING},
    {LOAD_DECODING, IN_PLACE, LOAD_CATCHING_UP},
    {LOAD_REBUILDING, IN_PLACE, LOAD_CATCHING_UP},
    {LOAD_CATCHING_UP, CAUGHT_UP, CLICK_OVER},
    {LOAD_WAITING, DROPPED, LOAD_DROPPED},
    {LOAD_QUEUED, DROPPED, LOAD_DROPPED},
    {LOAD_READ, DROPPED, LOAD_DROPPED},
    {LOAD_DECODING, DROPPED, LOAD_DROPPED},
    {LOAD_REBUILDING, DROPPED, LOAD_DROPPED},
    {LOAD_DROPPED, ITS_TURN, CLICK_OVER},
    {LOAD_CATCHING_UP, CLOSED_IN_PLACE, CLICK_OVER},
};

// ---- The clicks, always under the mutex ----

using Clicks = std::deque<ClickStage>;

// The stages are declared in the order of a click's life, so that a stretch of it is a range.
bool between(ClickStage stage, ClickStage first, ClickStage last) {
    return stage >= first && stage <= last;
}

// Moves the click at `index` along its arrow for `event`; one that is over leaves the clicks.
void moveClick(Clicks& clicks, size_t index, ClickEvent event) {
    const ClickStage from = clicks[index];
    const ClickMove* move =
        std::find_if(std::begin(CLICK_MOVES), std::end(CLICK_MOVES),
                     [&](const ClickMove& row) { return row.from == from && row.event == event; });
    GAME_ASSERT(move != std::end(CLICK_MOVES),
                "a click was moved along an arrow its stage does not have: add the arrow to "
                "CLICK_MOVES and to the diagram in core/clicks.h, or fix the caller");
    if (move->to == CLICK_OVER) {
        clicks.erase(clicks.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
        clicks[index] = move->to;
    }
}

// Moves the first click at `from`, which must be there.
void moveFirstClickAt(Clicks& clicks, ClickStage from, ClickEvent event) {
    const auto at = std::find(clicks.begin(), clicks.end(), from);
    GAME_ASSERT(at != clicks.end(), "no click stands where a move starts: look the stage up "
                                    "under the same hold of the mutex as the move");
    moveClick(clicks, static_cast<size_t>(at - clicks.begin()), event);
}

// Moves every click at `from`; returns how many moved.
int moveEveryClickAt(Clicks& clicks, ClickStage from, ClickEvent event) {
    int moved = 0;
    for (size_t index = clicks.size(); index-- > 0;) {
        if (clicks[index] == from) {
            moveClick(clicks, index, event);
            ++moved;
        }
    }
    return moved;
}

// The stage of the Load on its way; CLICK_OVER when there is none.
ClickStage loadStage(const Clicks& clicks) {
    for (const ClickStage stage : clicks) {
        if (between(stage, LOAD_QUEUED, LOAD_CATCHING_UP)) {
            return stage;
        }
    }
    return CLICK_OVER;
}

// The first waiting click, when no Load is on its way before it; CLICK_OVER when none may go.
ClickStage nextToHandOn(const Clicks& clicks) {
    for (const ClickStage stage : clicks) {
        if (stage == SAVE_WAITING || stage == LOAD_WAITING) {
            return stage;
        }
        if (between(stage, LOAD_QUEUED, LOAD_CATCHING_UP)) {
            return CLICK_OVER;
        }
    }
    return CLICK_OVER;
}

// Says "Load not done" for the dropped Loads that no click before them waits for any more.
void sayDroppedInTurn(Clicks& clicks) {
    while (!clicks.empty() && clicks.front() == LOAD_DROPPED) {
        moveClick(clicks, 0, ITS_TURN);
        sayLoadNotDone();
    }
}

// True while a save is in the slot or being written.
bool saveInHand(const Clicks& clicks) {
    return std::any_of(clicks.begin(), clicks.end(),
                       [](ClickStage stage) { return between(stage, SAVE_IN_SLOT, SAVE_WRITING); });
}

// ---- The main thread's moves ----

ClickStage lockedLoadStage(Saver& saver) {
    al_lock_mutex(saver.mutex);
    const ClickStage stage = loadStage(saver.shared.clicks);
    al_unlock_mutex(saver.mutex);
    return stage;
}

// A Save handed on: what the save file holds of the cells and the player as they stand now, into
// the slot. The state lock keeps the grid and the player still; the mutex keeps the saver from
// taking a half-copied slot.
void handOnSave(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(game.stateLock);
    al_lock_mutex(saver.mutex);
    refreshSnapshot(game.world, saver.shared.slot.cells);
    saver.shared.slot.player = game.player;
    moveFirstClickAt(saver.shared.clicks, SAVE_WAITING, HANDED_ON);
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
    al_unlock_mutex(game.stateLock);
}

// A Load handed on: queued for the saver.
void handOnLoad(Saver& saver) {
    al_lock_mutex(saver.mutex);
    moveFirstClickAt(saver.shared.clicks, LOAD_WAITING, HANDED_ON);
    al_broadcast_cond(saver.cond);
    al_unlock_mutex(saver.mutex);
}

// Hands on the first waiting click, if it may go. Only this thread hands clicks on or adds
// them, so the click looked at is still the first waiting one when it goes. False when none may.
bool handOnFirstWaiting(Game& game) {
    al_lock_mutex(game.saver.mutex);
    const ClickStage next = nextToHandOn(game.saver.shared.clicks);
    al_unlock_mutex(game.saver.mutex);
    if (next == SAVE_WAITING) {
        handOnSave(game);
    } else if (next == LOAD_WAITING) {
        handOnLoad(game.saver);
    }
    return next != CLICK_OVER;
}

void handOnWaiting(Game& game) {
    while (handOnFirstWaiting(game)) {
    }
}

// LOAD_READ: the main thread takes what the saver read. A save that loads starts going in, its
// first share at the next tick; without one only loadFailed is set, and the snapshots start
// catching up in this tick. Returns the Load's new stage.
ClickStage takeReadLoad(Game& game) {
    Saver& saver = game.saver;
    ReadSave read;
    al_lock_mutex(saver.mutex);
    const bool usable = saver.shared.loadUsable;
    read.bytes.swap(saver.shared.loaded.bytes);
    moveFirstClickAt(saver.shared.clicks, LOAD_READ, usable ? SAVE_TAKEN : NOTHING_TO_LOAD);
    al_unlock_mutex(saver.mutex);
    startLoad(game, usable, read, saver.main.load);
    return usable ? LOAD_DECODING : LOAD_CATCHING_UP;
}

// LOAD_DECODING and LOAD_REBUILDING: one tick's share of the load, and the Load moved on to the
// stage the share reached.
void putShareInPlace(Game& game, ClickStage stage) {
    Saver& saver = game.saver;
    const LoadProgress progress = continueLoad(game, saver.main.load);
    const bool cellsDecoded = stage == LOAD_DECODING && progress == LOAD_SEGMENTS_GOING_IN;
    if (progress != LOAD_IN_PLACE && !cellsDecoded) {
        return;
    }
    al_lock_mutex(saver.mutex);
    moveFirstClickAt(saver.shared.clicks, stage, cellsDecoded ? CELLS_DECODED : IN_PLACE);
    al_unlock_mutex(saver.mutex);
    if (progress == LOAD_IN_PLACE) {
        sayLoaded();
    }
}

// LOAD_CATCHING_UP: the whole grid may have changed, so both snapshots are brought up to date
// now, not at the next Save clicks, a share per tick (a whole grid at once would cost a frame).
// No save is in the slot or being written, as every Save waited for the Load. Once both are up
// to date, the Load is over and the clicks that waited for it go on.
void catchUpSnapshots(Game& game) {
    Saver& saver = game.saver;
    ClicksUnderMutex& shared = saver.shared;
    al_lock_mutex(saver.mutex);
    GAME_ASSERT(!saveInHand(shared.clicks),
                "a save was written while a Load was on its way: clicks after a Load must wait "
                "for it (requestSaveAction)");
    const bool slotDone =
        refreshSnapshotChunks(game.world, shared.slot.cells, SNAPSHOT_CHUNKS_PER_TICK);
    const bool writingDone =
        refreshSnapshotChunks(game.world, shared.writing.cells, SNAPSHOT_CHUNKS_PER_TICK);
    const bool caughtUp = slotDone && writingDone;
    if (caughtUp) {
        moveFirstClickAt(shared.clicks, LOAD_CATCHING_UP, CAUGHT_UP);
    }
    al_unlock_mutex(saver.mutex);
    if (caughtUp) {
        handOnWaiting(game);
    }
}

// ---- The close ----

bool saveWaiting(const Clicks& clicks) {
    return std::find(clicks.begin(), clicks.end(), SAVE_WAITING) != clicks.end();
}

// Once the window has gone, only a Save can still want a Load: the Loads clicked after the last
// Save are not carried out, and each says so in its turn.
void dropTrailingLoads(Saver& saver) {
    al_lock_mutex(saver.mutex);
    Clicks& clicks = saver.shared.clicks;
    for (size_t index = clicks.size(); index-- > 0 && clicks[index] == LOAD_WAITING;) {
        moveClick(clicks, index, DROPPED);
    }
    sayDroppedInTurn(clicks);
    al_unlock_mutex(saver.mutex);
}

// The Load on its way, when no Save waits behind it: a queued one is never read, a read one
// never put in place. One being read is dropped once read (its line first): false until then.
// One in place was answered already; only the snapshots, which no Save needs now, are left.
bool dropUnneededLoad(Game& game) {
    Saver& saver = game.saver;
    al_lock_mutex(saver.mutex);
    const ClickStage stage = loadStage(saver.shared.clicks);
    const bool needed = stage == CLICK_OVER || saveWaiting(saver.shared.clicks);
    if (needed || stage == LOAD_READING) {
        al_unlock_mutex(saver.mutex);
        return needed;
    }
    if (stage == LOAD_CATCHING_UP) {
        moveFirstClickAt(saver.shared.clicks, stage, CLOSED_IN_PLACE);
        al_unlock_mutex(saver.mutex);
        return true;
    }
    SaveBytes().swap(saver.shared.loaded.bytes);
    moveFirstClickAt(saver.shared.clicks, stage, DROPPED);
    sayDroppedInTurn(saver.shared.clicks);
    al_unlock_mutex(saver.mutex);
    saver.main.load = SaveBeingApplied{}; // what went in stays: nobody sees or saves it now
    return true;
}

bool allAnswered(Saver& saver) {
    al_lock_mutex(saver.mutex);
    const bool answered = saver.shared.clicks.empty();
    al_unlock_mutex(saver.mutex);
    return answered;
}

// A Load from LOAD_READ on is the main thread's to carry on, not the saver's.
bool mainThreadsLoad(ClickStage stage) {
    return between(stage, LOAD_READ, LOAD_CATCHING_UP);
}

// Waits for the saver to settle something, until the deadline. False once it has passed.
bool waitForSaver(Saver& saver, ALLEGRO_TIMEOUT& deadline) {
    al_lock_mutex(saver.mutex);
    bool inTime = true;
    const Clicks& clicks = saver.shared.clicks;
    if (!clicks.empty() && !mainThreadsLoad(loadStage(clicks))) {
        inTime = al_wait_cond_until(saver.settled, saver.mutex, &deadline) == 0;
    }
    al_unlock_mutex(saver.mutex);
    return inTime;
}

// Closes the gate and says, in the order of the clicks, what became of each one not answered:
// the saves being written, the saves in the slot, the Load on its way, the clicks behind it.
void abandonSaver(Saver& saver, double seconds) {
    al_lock_mutex(saver.mutex);
    ClicksUnderMutex& shared = saver.shared;
    shared.gate.closed = true;
    for (const ClickStage stage : shared.clicks) {
        if (stage == SAVE_WRITING) {
            sayWriteCutShort(shared.gate, seconds);
        } else if (between(stage, SAVE_WAITING, SAVE_IN_SLOT)) {
            saySaveNotFinished(seconds);
        } else if (stage == LOAD_DROPPED) {
            sayLoadNotDone();
        } else {
            sayLoadNotFinished(seconds);
        }
    }
    al_unlock_mutex(saver.mutex);
}

} // namespace

void requestSaveAction(Game& game, SaveAction action) {
    Saver& saver = game.saver;
    GAME_ASSERT(saver.main.running, "a click went to a saver that does not run: test saverRunning");
    al_lock_mutex(saver.mutex);
    saver.shared.clicks.push_back(action == SAVE_ACTION ? SAVE_WAITING : LOAD_WAITING);
    al_unlock_mutex(saver.mutex);
    handOnWaiting(game);
}

void advanceClicks(Game& game) {
    if (!game.saver.main.running) {
        return;
    }
    ClickStage stage = lockedLoadStage(game.saver);
    if (stage == LOAD_READ) {
        stage = takeReadLoad(game);
    } else if (stage == LOAD_DECODING || stage == LOAD_REBUILDING) {
        putShareInPlace(game, stage);
        return; // the tick that puts the last share in place leaves the snapshots to the next
    }
    if (stage == LOAD_CATCHING_UP) {
        catchUpSnapshots(game);
    }
}

bool loadOnItsWay(Game& game) {
    return game.saver.main.running &&
           between(lockedLoadStage(game.saver), LOAD_QUEUED, LOAD_REBUILDING);
}

bool loadGoingIn(Game& game) {
    return game.saver.main.running &&
           between(lockedLoadStage(game.saver), LOAD_DECODING, LOAD_REBUILDING);
}

SaverWork takeSaverWork(ClicksUnderMutex& shared) {
    if (moveEveryClickAt(shared.clicks, SAVE_IN_SLOT, SLOT_TAKEN) > 0) {
        std::swap(shared.slot, shared.writing);
        return SAVER_WRITES;
    }
    if (moveEveryClickAt(shared.clicks, LOAD_QUEUED, READ_TAKEN) > 0) {
        return SAVER_READS;
    }
    return SAVER_WAITS;
}

void endWrite(ClicksUnderMutex& shared, const SaveOutcome& outcome) {
    const int clicks = moveEveryClickAt(shared.clicks, SAVE_WRITING, WRITTEN);
    if (!shared.gate.closed) {
        saySaveOutcome(outcome, clicks);
        sayDroppedInTurn(shared.clicks);
    }
}

void endRead(ClicksUnderMutex& shared, bool usable, ReadSave& read, const std::string& said) {
    if (!shared.gate.closed) {
        sayLoadRead(said);
    }
    shared.loadUsable = usable;
    shared.loaded.bytes.swap(read.bytes);
    moveFirstClickAt(shared.clicks, LOAD_READING, READ);
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
    while (inTime && !allAnswered(saver)) {
        if (!dropUnneededLoad(game)) {
            inTime = waitForSaver(saver, deadline); // the Load being read, to drop it once read
            continue;
        }
        if (mainThreadsLoad(lockedLoadStage(saver))) {
            advanceClicks(game); // a share of the load, then the clock again
            inTime = al_get_time() < stopAt;
        } else {
            inTime = waitForSaver(saver, deadline);
        }
    }
    if (!inTime && !allAnswered(saver)) {
        abandonSaver(saver, seconds);
        return false;
    }
    stopSaverThread(saver);
    return true;
}
