#include "core/mouse_press.h"

#include <allegro5/allegro.h>

#include "core/save_game.h"
#include "presentation/hud_layout.h"
#include "world/editing.h"

namespace {

// A running game hands the click to its saver thread; a game without one (tests, tools) saves
// or loads at once.
void workHudButton(HudButton button, Game& game) {
    const SaveAction action = button == HUD_SAVE_BUTTON ? SAVE_ACTION : LOAD_ACTION;
    if (saverRunning(game.saver)) {
        requestSaveAction(game, action);
    } else if (action == SAVE_ACTION) {
        saveWorld(game);
    } else {
        loadWorld(game);
    }
}

// Mines or places in the cell drawn under the pixel, through the renderer's own view.
void editCellUnderPointer(int mx, int my, unsigned button, Game& game) {
    Player& player = game.player;
    const View view = playerView(player);
    int column = 0;
    int row = 0;
    if (!cellUnderPixel(view, mx, my, column, row)) {
        return;
    }
    if (button == MINING_BUTTON) {
        mineCell(game.world, game.blockTypes, player, game.space, column, row);
    } else {
        placeBlock(game.world, game.blockTypes, player, game.space, column, row);
    }
}

} // namespace

void handleMouseDown(ALLEGRO_EVENT event, Game& game) {
    const int mx = event.mouse.x;
    const int my = event.mouse.y;
    const unsigned button = event.mouse.button;
    if (button == MINING_BUTTON) {
        const HudButton hudButton = hudButtonAt(mx, my, game.player.screenWidth);
        if (hudButton != HUD_NO_BUTTON) {
            workHudButton(hudButton, game);
            return;
        }
    }
    if (loadOnItsWay(game)) {
        return; // the load wins: an edit now would be drawn, then undone by it
    }
    al_lock_mutex(game.stateLock);
    editCellUnderPointer(mx, my, button, game);
    al_unlock_mutex(game.stateLock);
}
