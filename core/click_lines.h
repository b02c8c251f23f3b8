// Every console line that answers a Save or a Load click: how a save went, what a read found,
// the load in place, and what the close says of the clicks it could not carry out. The lines
// are read by players and by the tests, so their wording and order are part of the game.
#pragma once

#include <string>

#include "world/save_gate.h"

struct SaveOutcome;

/// What a write in hand leaves if it never ends: the save as it was.
constexpr const char* PREVIOUS_SAVE_KEPT = "the previous save is kept";

/// Says how a write went, once for each of the `clicks` Save clicks it answers.
void saySaveOutcome(const SaveOutcome& outcome, int clicks);

/// Says what a Load's read found when it could not simply take the save (readUsableSave's
/// `said`, which is empty otherwise).
void sayLoadRead(const std::string& said);

/// Says that a load is in place.
void sayLoaded();

/// Says that a Load clicked before the close is not carried out.
void sayLoadNotDone();

/// At a close whose deadline passed: says what became of a Save whose write was in hand, from
/// what its gate last noted (a save in place was saved, whatever is left undone).
void sayWriteCutShort(const SaveGate& gate, double seconds);

/// At a close whose deadline passed: says that a Save not yet being written is not done.
void saySaveNotFinished(double seconds);

/// At a close whose deadline passed: says that a Load is not done.
void sayLoadNotFinished(double seconds);
