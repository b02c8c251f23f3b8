// System start-up: from nothing to a game display, a player and workers ready to start.
#pragma once

#include "core/game.h"

/// Brings up Allegro, the menu, the devices, the font, the player and the walls, the game
/// display and the workers (created, not started). Any missing facility prints one line and
/// exits with 1.
void initSystem(Game& game);
