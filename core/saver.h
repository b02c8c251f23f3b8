// The saver: a worker thread that does the slow part of the Save and Load clicks (encoding,
// checking, writing, flushing, renaming, reading), so that a slow disk never stops the game.
//
// A Save click costs the main thread one copy of what the save file holds of each cell changed
// since the slot's last copy (refreshSnapshot) and of the player, into the saver's slot. A Save
// while another is being written replaces what waits in the slot by the newer state: the saver
// writes one save at a time, always the newest, and says "Saved the world!" (or why not) once for
// every click it answers, when the file really is in place. A Load waits for the saves clicked
// before it; the saver reads and checks the file and the ticks after put it in place on the main
// thread, a share each. Until it is in place the Load wins: Save and Load clicks wait on the main
// thread and are handed on in order afterwards, and mining and placing clicks do nothing
// (loadOnItsWay), so that nothing is drawn that the load then undoes. At the close, everything
// clicked is carried out in order within a deadline (finishSaver).
#pragma once

#include <allegro5/allegro.h>
#include <atomic>
#include <deque>

#include "core/read_save.h"
#include "world/block_types.h"
#include "world/player_record.h"
#include "world/save_codec.h"
#include "world/save_file.h"
#include "world/world_grid.h"

struct Game;

/// What one save writes, copied out of the game in one go.
struct SaveSnapshot {
    /// What the save file holds of each cell, brought up to date at each click: its storage is
    /// kept from save to save, and only the chunks changed since are copied again.
    CellSnapshot cells;
    /// The player as it stood.
    Player player;
};

/// What a HUD click asks of the saver.
enum SaveAction { SAVE_ACTION, LOAD_ACTION };

/// How long the game waits at the close for the saves clicked before it, in seconds.
constexpr double CLOSE_SAVE_SECONDS = 10.0;

/// The saver thread and what it shares with the main thread.
struct Saver {
    ALLEGRO_THREAD* thread;
    /// Guards the slot and the saver's progress: pending, pendingClicks, loadQueued,
    /// writingClicks and abandoned. The main thread holds it only to copy a snapshot in or to
    /// queue a load; the saver never holds it during its file work.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast when a request comes and at the stop request.
    ALLEGRO_COND* cond;
    /// Broadcast by the saver whenever it has finished a save or read a load.
    ALLEGRO_COND* settled;
    /// Where the save lives, and what this run knows of it; set before startSaver, then the
    /// saver's own.
    SaveFolder folder;
    /// Copy of the block-type table for the check, made by startSaver.
    BlockTypes blockTypes;

    /// The slot: the newest state a Save click asked for, not yet taken by the saver.
    SaveSnapshot pending;
    /// Save clicks the pending snapshot answers; 0 when the slot is empty.
    int pendingClicks;
    /// A Load click waits behind the pending save, if any.
    bool loadQueued;
    /// Save clicks the write in hand answers; 0 when the saver is not writing.
    int writingClicks;
    /// The game ended without waiting for the saver any longer: it says nothing more.
    bool abandoned;

    /// The saver's own: the snapshot it is writing.
    SaveSnapshot writing;

    /// A load read off the main thread: set by the saver (release) once `loaded` and
    /// `loadUsable` hold the result, cleared by the main thread when it has applied them.
    std::atomic<bool> loadRead;
    bool loadUsable;
    /// The load read, in buffers of its own that the main thread frees as it applies them.
    ReadSave loaded;

    /// The main thread's own: the thread runs; a load was queued and is not yet in place; the
    /// load read is being applied; the clicks that came meanwhile, in order.
    bool running;
    bool loadOutstanding;
    bool loadApplying;
    std::deque<SaveAction> deferred;
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
bool loadOnItsWay(const Saver& saver);

/// A HUD click for a running saver: Save copies the snapshot into the slot under the state
/// lock, Load queues a load; while a load is on its way, the click waits for it.
void requestSaveAction(Game& game, SaveAction action);

/// The main thread's part of a load the saver has read, once per tick: starts applying it
/// (startLoad), and once it is in place (loadBeingApplied false) hands on the clicks that
/// waited for it. Does nothing when no load is outstanding.
void applyReadLoad(Game& game);

/// At the close, once nothing else runs: carries out every click still waiting, in order (a
/// load on its way is applied, then the clicks behind it are handed on), waits until every save
/// is written, and stops the saver, all within `seconds`. Returns true then. Otherwise says in
/// one line for each click that it was not done, and returns false: the saver is left to the
/// end of the process, which its file work survives (the save on disk stays the old or the new
/// one, whole); the game must then end without freeing the saver.
bool finishSaver(Game& game, double seconds);

/// Frees what createSaver made; a saver that was started must have been finished first.
void destroySaver(Saver& saver);
