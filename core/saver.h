// The saver: a worker thread that does the slow part of the Save and Load clicks (encoding,
// checking, writing, flushing, renaming, reading), so that a slow disk never stops the game.
//
// A Save click costs the main thread one copy of the grid's cells and the player into the
// saver's slot. A Save while another is being written replaces what waits in the slot by the
// newer state: the saver writes one save at a time, always the newest, and says
// "Saved the world!" (or why not) once for every click it answers, when the file really is in
// place. A Load waits for the saves clicked before it; the saver reads and checks the file and
// the ticks after put it in place on the main thread, a share each. Clicks that come while a load
// is on its way wait on the main thread until it is in place, so every click acts on the game as
// the clicks before it left it.
#pragma once

#include <allegro5/allegro.h>
#include <atomic>
#include <deque>
#include <memory>
#include <string>

#include "core/read_save.h"
#include "world/block_types.h"
#include "world/player_record.h"
#include "world/save_codec.h"
#include "world/save_file.h"
#include "world/world_grid.h"

struct Game;

/// What one save writes, copied out of the game in one go.
struct SaveSnapshot {
    /// The grid's cells (its chunk versions are not copied). Allocated once, by createSaver.
    std::unique_ptr<World> world;
    /// The player as it stood.
    Player player;
};

/// What a HUD click asks of the saver.
enum SaveAction { SAVE_ACTION, LOAD_ACTION };

/// The saver thread and what it shares with the main thread.
struct Saver {
    ALLEGRO_THREAD* thread;
    /// Guards the slot: pending, pendingClicks and loadQueued. The main thread holds it only to
    /// copy a snapshot in or to queue a load; the saver never holds it during its file work.
    ALLEGRO_MUTEX* mutex;
    /// Broadcast when a request comes and at the stop request.
    ALLEGRO_COND* cond;
    /// Where the save lives; set before startSaver.
    std::string directory = GAME_SAVE_DIRECTORY;
    /// Copy of the block-type table for the check, made by startSaver.
    BlockTypes blockTypes;

    /// The slot: the newest state a Save click asked for, not yet taken by the saver.
    SaveSnapshot pending;
    /// Save clicks the pending snapshot answers; 0 when the slot is empty.
    int pendingClicks;
    /// A Load click waits behind the pending save, if any.
    bool loadQueued;

    /// The saver's own: the snapshot it is writing and the bytes it encodes into.
    SaveSnapshot writing;
    SaveBytes bytes;

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

/// Creates the saver's thread (not started), mutex and condition, and allocates its two
/// snapshots. Returns false when one cannot be made.
bool createSaver(Saver& saver);

/// Gives the saver its copy of the block-type table and starts its thread.
void startSaver(Game& game);

/// True while the saver's thread runs: the HUD's clicks go to it.
bool saverRunning(const Saver& saver);

/// A HUD click for a running saver: Save copies the grid's cells and the player into the slot
/// under the state lock, Load queues a load; while a load is on its way, the click waits for it.
void requestSaveAction(Game& game, SaveAction action);

/// The main thread's part of a load the saver has read, once per tick: starts applying it
/// (startLoad), and once it is in place (loadBeingApplied false) hands on the clicks that
/// waited for it. Does nothing when no load is outstanding.
void applyReadLoad(Game& game);

/// Asks the saver to stop as the other workers are asked, and waits for it: it first writes
/// the save clicked last, if any, and says so; a load not yet applied is dropped. Says nothing
/// of its own.
void stopSaver(Saver& saver);

/// Frees what createSaver made; a saver that was started must have been stopped first.
void destroySaver(Saver& saver);
