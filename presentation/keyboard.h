// Keyboard state: key-down and key-up events become held-key flags and the block selection.
#pragma once

#include <allegro5/events.h>

#include "world/player_record.h"

/// Applies one key-down or key-up event to the player's key flags and selection. When the
/// display loses the keyboard (ALLEGRO_EVENT_DISPLAY_SWITCH_OUT) the held keys' key-up events go
/// to another window, so every held-key flag is cleared; the selection stays.
void handleKeyEvent(ALLEGRO_EVENT event, Player& player);
