// A save on its way from the disk into the game: read and checked, and decoded as far as can be
// done off the main thread.
#pragma once

#include <vector>

#include "world/editing.h"
#include "world/save_codec.h"
#include "world/world_grid.h"

/// A save read, checked and made ready for the main thread, which then only has to put it in
/// place (finishLoad).
struct ReadSave {
    /// The file's bytes; the player's header is taken from them.
    SaveBytes bytes;
    /// The grid the cells are decoded into, with this run's images and no segments; lent by the
    /// reader (the saver lends the grid it encodes saves from, idle while a load is on its way).
    World* cells;
    /// The faces of the decoded cells that get ground segments.
    std::vector<SegmentFace> faces;
};
