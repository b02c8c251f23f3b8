// The keyboard and mouse events that tests hand to the game's handlers, built as Allegro
// delivers them.
#pragma once

#include <allegro5/allegro.h>

#include "world/player_record.h"

/// A keyboard event of `type` (key down, key up, ...) for `keycode`.
ALLEGRO_EVENT keyEvent(ALLEGRO_EVENT_TYPE type, int keycode);

/// A mouse button press at the display pixel (x, y).
ALLEGRO_EVENT mouseDownEvent(int x, int y, unsigned button);

/// Hands the player's key handler a key-down event.
void pressKey(Player& player, int keycode);

/// Hands the player's key handler a key-up event.
void releaseKey(Player& player, int keycode);
