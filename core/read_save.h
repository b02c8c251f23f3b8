// A save on its way from the disk into the game: read and checked off the main thread, then
// put in place by the main thread a share per tick.
#pragma once

#include "world/editing.h"
#include "world/save_codec.h"

/// A save read whole that passed the game's check.
struct ReadSave {
    SaveBytes bytes;
};

/// A save being put in place, a share per tick (continueLoad): its cells are decoded into the
/// grid a few columns at a time, then the replaced cells' segments leave the space and the new
/// cells' go in.
struct SaveBeingApplied {
    /// The save's bytes, until every column and the player have been decoded.
    SaveBytes bytes;
    /// The next column to decode; WORLD_COLUMNS once all are.
    int nextColumn = WORLD_COLUMNS;
    /// The segments going out and coming in.
    SegmentRebuild segments;
};
