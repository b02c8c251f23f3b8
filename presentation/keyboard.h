// Keyboard state: key-down and key-up events become held-key flags and the block selection.
#pragma once

#include <allegro5/events.h>

#include "world/player_record.h"

/// Applies one key-down or key-up event to the player's key flags and selection.
void handleKeyEvent(ALLEGRO_EVENT event, Player& player);
