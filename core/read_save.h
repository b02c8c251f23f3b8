// A save on its way from the disk into the game: read and checked off the main thread.
#pragma once

#include "world/save_codec.h"

/// A save read and checked, made ready for the main thread, which decodes it into the game as
/// it puts it in place (finishLoad, startLoad). Its buffer is its own, freed once applied.
struct ReadSave {
    /// The file's bytes, a save that passed the game's check.
    SaveBytes bytes;
};
