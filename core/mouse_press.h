// Mouse presses in the game: the left button mines the cell drawn under the pointer or works
// the HUD button under it, any other button places the selected block.
#pragma once

#include <allegro5/events.h>

#include "core/game.h"

/// Mouse button that mines and works the HUD buttons.
constexpr unsigned MINING_BUTTON = 1;

/// Handles one ALLEGRO_EVENT_MOUSE_BUTTON_DOWN: a left press inside a HUD button saves or loads
/// the game in the saver's folder, and does nothing else: through the saver when it runs
/// (requestSaveAction), else at once; otherwise the press mines (left) or places (other
/// buttons) in the cell drawn under the pointer, under the state lock, unless a Load is on its
/// way, which would undo the edit. A pixel that shows no cell of the grid is ignored.
void handleMouseDown(ALLEGRO_EVENT event, Game& game);
