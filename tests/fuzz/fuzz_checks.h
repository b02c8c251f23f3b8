// What the save fuzzers require of every header and cell that the checker lets through: a
// loaded player and loaded cells that the game can play with. A broken rule aborts the run.
#pragma once

#include <string>

#include "actors/player.h"
#include "world/block_types.h"

/// Reports a broken rule on standard error and aborts, so that libFuzzer keeps the input.
[[noreturn]] void fuzzFail(const char* what, const std::string& detail);

/// Aborts with `what` unless `holds`.
void fuzzExpect(bool holds, const char* what);

/// A player as this run has it before a load: display size, keys, load flags and references
/// that a load must leave alone.
Player fuzzRunPlayer();

/// Aborts unless a player loaded over fuzzRunPlayer() kept this run's fields and took sane game
/// state: a finite position with the box's centre inside the walls, stocks not negative, a
/// selection of 1 to 4 and an impulse base of (0, 0).
void fuzzCheckPlayer(const Player& player);

/// Aborts unless a loaded cell is a whole copy of its type, placed at (column, row) or at 0,
/// with no segment references.
void fuzzCheckCell(const Block& cell, int column, int row, const BlockTypes& blockTypes);
