// The Save and Load clicks of a running game, from the click until the line that answers it,
// and the saver thread that does their file work, so that a slow disk never stops the game.
//
// A click's life, in Saver::shared.state; a Save click fills the slot, in IDLE only:
//
//   IDLE -Load click-> LOAD_QUEUED -saver takes it-> LOAD_READING -read-> LOAD_READ
//    ^                                                                       | next tick
//    +------------------------- snapshots caught up ------------- APPLYING <-+
//
// The saver writes the newest slot, one save at a time, before it takes a Load. From a Load click
// until IDLE, every click waits on the main thread; until the load is in place, mining and placing
// do nothing (the load would undo them). At the close, finishSaver carries out within a deadline
// every click a Save still needs; after it nothing more is said or moved.
#pragma once

#include <allegro5/allegro.h>
#include <deque>
#include <string>

#include "core/read_save.h"
#include "world/block_types.h"
#include "world/player_record.h"
#include "world/save_codec.h"
#include "world/save_file.h"
#include "world/save_gate.h"

struct Game;

/// What one save writes: the cells as the save file holds them, brought up to date chunk by
/// chunk, and the player as it stood.
struct SaveSnapshot {
    CellSnapshot cells;
    Player player;
};

/// What a HUD click asks of the saver.
enum SaveAction { SAVE_ACTION, LOAD_ACTION };

/// Where the Load clicks stand; the Save clicks are counted beside it.
enum ClickState {
    /// No Load on its way.
    CLICKS_IDLE,
    /// A Load waits for the saves clicked before it, then for the saver.
    CLICKS_LOAD_QUEUED,
    /// The saver reads and checks it.
    CLICKS_LOAD_READING,
    /// The saver has read it: the main thread takes it at the next tick.
    CLICKS_LOAD_READ,
    /// The main thread puts it in place, a share per tick, then brings the saver's snapshots up
    /// to date with the new grid, a share per tick.
    CLICKS_APPLYING,
};

/// How long the game waits at the close for the clicks before it, in seconds.
constexpr double CLOSE_SAVE_SECONDS = 10.0;

/// What the main thread and the saver thread share: touched only under Saver::mutex.
struct SaverShared {
    ClickState state;
    /// The slot: the newest state a Save click asked for, not yet taken by the saver.
    SaveSnapshot pending;
    /// Save clicks the slot answers; 0 when it is empty.
    int pendingClicks;
    /// Save clicks the write in hand answers; 0 when the saver is not writing.
    int writingClicks;
    /// The file work in hand; closed once the game stops waiting, after which the saver says
    /// nothing and moves nothing.
    SaveGate gate;
    /// In CLICKS_LOAD_READ: whether the read found a save that loads, and the save.
    bool loadUsable;
    ReadSave loaded;
};

/// The saver thread's own while it runs; the main thread's before startSaver.
struct SaverOwn {
    /// Where the save lives, and what this run knows of it.
    SaveFolder folder;
    /// Copy of the block-type table for the check.
    BlockTypes blockTypes;
    /// The snapshot being written. At rest between writes; the main thread brings it up to date
    /// under the mutex once a load is in place, when no write can be in hand.
    SaveSnapshot writing;
};

/// The main thread's own.
struct SaverMain {
    /// The thread runs: the HUD's clicks go to it.
    bool running;
    /// The Load being put in place in CLICKS_APPLYING.
    SaveBeingApplied load;
    /// Clicks that came while a Load was on its way, in order.
    std::deque<SaveAction> waiting;
};

/// The saver thread and the state of the clicks.
struct Saver {
    ALLEGRO_THREAD* thread;
    /// Guards `shared`; never held across file work.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast when work comes for the saver and at the stop request.
    ALLEGRO_COND* cond;
    /// Broadcast by the saver whenever it has finished a write or a read.
    ALLEGRO_COND* settled;
    SaverShared shared;
    SaverOwn own;
    SaverMain main;
};

/// Creates the saver's thread (not started), mutex and conditions. Returns false when one
/// cannot be made.
bool createSaver(Saver& saver);

/// Gives the saver its copy of the block-type table and its first snapshots of the world, and
/// starts its thread.
void startSaver(Game& game);

/// True while the saver's thread runs: the HUD's clicks go to it.
bool saverRunning(const Saver& saver);

/// True from a Load click until the load is in place: edits would be undone by it.
bool loadOnItsWay(Game& game);

/// A HUD click for a running saver: Save fills the slot, Load is queued; while a Load is on its
/// way, the click waits for it.
void requestSaveAction(Game& game, SaveAction action);

/// The main thread's part of the clicks, once per tick: takes a Load the saver has read, puts
/// a share of it in place, and once it is in place hands on the clicks that waited.
void advanceClicks(Game& game);

/// At the close, once nothing else runs: drops the Loads that no Save clicked after them needs,
/// carries out the rest in order, waits until every save is written and stops the saver, all
/// within `seconds`. Returns true then. Otherwise closes the gate, says in one line for each
/// click what became of it, and returns false: the saver is left to the end of the process and
/// must not be freed.
bool finishSaver(Game& game, double seconds);

/// Frees what createSaver made; a saver that was started must have been finished first.
void destroySaver(Saver& saver);
