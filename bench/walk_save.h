// A save for walking with the view scrolling: the benchmark's seeded world with the player on
// the ground far enough from the left wall that the view follows it at any screen width up
// to 3840 pixels, and keeps following it for half a minute's walk to the right.
#pragma once

#include <string>

/// Writes that save into `directory` (the game's file name there). Returns false, with
/// `problem` saying why, when it cannot.
bool writeWalkSave(const std::string& directory, std::string& problem);
