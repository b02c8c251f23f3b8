// The Save and Load clicks of a running game, each from the press until the line that answers
// it. Every click has a stage until it is over; the arrows below are the rows of CLICK_MOVES in
// core/clicks.cpp, the one place where a stage changes. [m] marks the moves the main thread
// makes, [s] those the saver thread makes (core/saver.cpp, which does the file work, through
// takeSaverWork, endWrite and endRead). Every line is said by core/click_lines.cpp.
//
//   Save:
//     press --> SAVE_WAITING --handed on [m]--> SAVE_IN_SLOT --slot taken [s]--> SAVE_WRITING
//                                                                                     |
//                                                           written [s]: how it went, a line
//                                                                 for each click it answers
//                                                                                     v
//                                                                                    over
//   Load:
//     press --> LOAD_WAITING --handed on [m]--> LOAD_QUEUED --read taken [s]--> LOAD_READING
//                                                                                     |
//                                                             read [s]: what it found, if any
//                                                                                     v
//     LOAD_DECODING <------------------------save taken [m]------------------------ LOAD_READ
//        |       |                                                                    |
//        |    cells decoded [m]                                           nothing to load [m]
//        |       v                                                                    |
//        |    LOAD_REBUILDING                                                         |
//        |       |                                                                    |
//     in place [m]: "Loaded the world!"                                               |
//        v       v                                                                    |
//     LOAD_CATCHING_UP <--------------------------------------------------------------+
//        |
//     caught up [m]: the clicks behind it are handed on
//        v
//       over
//
//   The close [m]: LOAD_WAITING, LOAD_QUEUED, LOAD_READ, LOAD_DECODING and LOAD_REBUILDING
//   --dropped--> LOAD_DROPPED --its turn [m or s]: "Load not done: ..."--> over, once every
//   click before it is answered, so that the lines keep the clicks' order; LOAD_CATCHING_UP, in
//   place and answered, --closed in place--> over, when no Save behind it needs the snapshots
//
// A press starts its click WAITING, and it is handed on at once unless a Load is on its way
// (LOAD_QUEUED to LOAD_CATCHING_UP) before it; the clicks behind a Load are handed on in order
// once it is over, up to the next Load. The saver writes the slot, the newest state the Saves
// in it asked for, before it reads a Load, so a Load loads what the Saves clicked before it
// wrote. Each stage of a Load in play is one kind of tick:
//   LOAD_DECODING    its cells, then its player, go into the grid, a share per tick;
//   LOAD_REBUILDING  the replaced cells' segments leave the space and the new ones go in;
//   LOAD_CATCHING_UP the saver's two snapshots copy the new grid, a share per tick, from the
//                    tick after the one that put the last share in place.
// In DECODING and REBUILDING the space stands still and the actors wait; from QUEUED to
// REBUILDING mining and placing do nothing (the load would undo them).
//
// At the close (finishSaver), a Load that no Save clicked after it needs is dropped, one being
// read once it is read. When the deadline passes first, the gate closes and every click left
// says where it stands; nothing moves a file or says a line after that.
#pragma once

#include <deque>
#include <string>

#include "core/read_save.h"
#include "world/player_record.h"
#include "world/save_codec.h"
#include "world/save_gate.h"

struct Game;
struct SaveOutcome;

/// Where one click stands, from its press until it is over (see the diagram above). Declared in
/// the order of a click's life, so that a stretch of it is a range of stages.
enum ClickStage {
    /// A Save click behind a Load on its way.
    SAVE_WAITING,
    /// Its state is in the slot, for the saver's next write.
    SAVE_IN_SLOT,
    /// The saver writes the state it took from the slot.
    SAVE_WRITING,
    /// A Load click behind a Load on its way.
    LOAD_WAITING,
    /// Waits for the saves before it, then for the saver.
    LOAD_QUEUED,
    /// The saver reads and checks it.
    LOAD_READING,
    /// Read: the main thread takes it at the next tick.
    LOAD_READ,
    /// Its cells and player go into the grid, a share per tick.
    LOAD_DECODING,
    /// Its segments go into the space, a share per tick.
    LOAD_REBUILDING,
    /// In place; the saver's snapshots copy the new grid, a share per tick.
    LOAD_CATCHING_UP,
    /// Dropped at the close; its line waits until every click before it is answered.
    LOAD_DROPPED,
    /// Over: the click leaves the clicks.
    CLICK_OVER,
};

/// What a HUD click asks of the saver.
enum SaveAction { SAVE_ACTION, LOAD_ACTION };

/// How long the game waits at the close for the clicks before it, in seconds.
constexpr double CLOSE_SAVE_SECONDS = 10.0;

/// What one save writes: the cells as the save file holds them, brought up to date chunk by
/// chunk, and the player as it stood.
struct SaveSnapshot {
    CellSnapshot cells;
    Player player;
};

/// The clicks' state that both threads touch: written by either, only with Saver::mutex held.
struct ClicksUnderMutex {
    /// Every click not yet over, in the order of the presses; by the rules above, the Saves being
    /// written, then the Saves in the slot, the Load on its way and the clicks behind it.
    std::deque<ClickStage> clicks;
    /// The slot: the newest state the SAVE_IN_SLOT clicks asked for.
    SaveSnapshot slot;
    /// The state the SAVE_WRITING clicks are written with. The saver reads it without the mutex
    /// while it writes, when nobody writes it: the main thread brings it up to date only in
    /// LOAD_CATCHING_UP, when no save is being written.
    SaveSnapshot writing;
    /// In LOAD_READ: whether the read found a save that loads, and the save.
    bool loadUsable;
    ReadSave loaded;
    /// The file work in hand; closed once the game stops waiting, after which the saver says
    /// nothing and moves nothing.
    SaveGate gate;
};

/// The clicks' state that only the main thread writes.
struct ClicksMainThread {
    /// The saver thread runs: the HUD's clicks go to it.
    bool running;
    /// The save of the Load click in LOAD_DECODING and LOAD_REBUILDING.
    SaveBeingApplied load;
};

/// What the saver thread does next.
enum SaverWork {
    /// Nothing: it waits for a click or the stop.
    SAVER_WAITS,
    /// Writes the state taken from the slot (ClicksUnderMutex::writing).
    SAVER_WRITES,
    /// Reads the Load it took.
    SAVER_READS,
};

/// A HUD click for a running saver: the click waits behind a Load on its way, or else goes on
/// at once, a Save into the slot, a Load to the saver.
void requestSaveAction(Game& game, SaveAction action);

/// The main thread's part of the clicks, once per tick: takes a Load the saver has read, puts a
/// share of it in place, or brings the snapshots up to date; once they are, hands on the clicks
/// that waited.
void advanceClicks(Game& game);

/// True from a Load click until its segments are in place (LOAD_QUEUED to LOAD_REBUILDING):
/// edits would be undone by it.
bool loadOnItsWay(Game& game);

/// True while a Load's cells or segments go in (LOAD_DECODING, LOAD_REBUILDING): the space
/// must not step and the actors wait.
bool loadGoingIn(Game& game);

/// Saver thread, mutex held: takes the next work. Saves come first: every SAVE_IN_SLOT click
/// goes to SAVE_WRITING, with the slot's state; else a LOAD_QUEUED click goes to LOAD_READING.
SaverWork takeSaverWork(ClicksUnderMutex& shared);

/// Saver thread, mutex held: the write in hand has ended; every SAVE_WRITING click says how,
/// unless the gate is closed, and is over, and so are the dropped Loads whose turn it then is.
void endWrite(ClicksUnderMutex& shared, const SaveOutcome& outcome);

/// Saver thread, mutex held: the Load being read has been read. Its line, unless the gate is
/// closed; then LOAD_READ, with the save (left empty in `read`) for the main thread.
void endRead(ClicksUnderMutex& shared, bool usable, ReadSave& read, const std::string& said);

/// At the close, once nothing else runs: drops the Loads that no Save clicked after them needs,
/// carries out the rest in order, waits until every save is written and stops the saver, all
/// within `seconds`. Returns true then. Otherwise closes the gate, says in one line for each
/// click what became of it, and returns false: the saver is left to the end of the process and
/// must not be freed.
bool finishSaver(Game& game, double seconds);
