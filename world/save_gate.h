// The gate a save's file work passes before every step that moves or removes a file, so that a
// game which stops waiting for a slow disk knows that nothing more is moved, and what stands
// where at that moment.
#pragma once

#include <allegro5/allegro.h>
#include <string>

/// One thread's file work, watched by another. All fields under `mutex`.
struct SaveGate {
    /// Held only to look at or change the fields, never across a file call.
    ALLEGRO_MUTEX* mutex;
    /// The watcher stopped waiting: no step passes any more.
    bool closed;
    /// The new save is at the save's name.
    bool placed;
    /// What stands where if the work ends now (a step under way included), for the end of a
    /// line; empty when nothing is left to say.
    std::string standing;
};

/// Before a step: false, and nothing may be moved, once the gate is closed. Otherwise notes
/// what stands where should the step never end. A null gate always lets it pass.
bool passGate(SaveGate* gate, const std::string& whileUnderWay);

/// After a step that passGate let through: notes what stands where now.
void leaveGate(SaveGate* gate, const std::string& standing, bool placed);
