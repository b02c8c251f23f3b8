#include "world/mouse.h"

#include <allegro5/allegro.h>

#include "actors/lift.h"
#include "presentation/hud_layout.h"
#include "presentation/view.h"
#include "world/editing.h"
#include "world/save_file.h"

namespace {

void workHudButton(HudButton button, MouseTargets& targets) {
    if (button == HUD_SAVE_BUTTON) {
        // Only this (main) thread writes what a save reads, so the slow write holds no lock.
        saveWorld(targets.world, targets.player, targets.blockTypes, targets.saveDirectory);
    } else if (loadWorld(targets.world, targets.player, targets.blockTypes, targets.space,
                         targets.saveDirectory, targets.stateLock)) {
        al_lock_mutex(targets.stateLock);
        liftActorsOutOfRock(targets.space, targets.player, targets.enemies, targets.enemyCount,
                            targets.world);
        al_unlock_mutex(targets.stateLock);
    }
}

// Mines or places in the cell drawn under the pixel, through the renderer's own view.
void editCellUnderPointer(int mx, int my, unsigned button, MouseTargets& targets) {
    const Player& player = targets.player;
    const View view = computeView(player.x, player.y, player.screenWidth, player.screenHeight);
    int column = 0;
    int row = 0;
    if (!cellUnderPixel(view, mx, my, column, row)) {
        return;
    }
    if (button == MINING_BUTTON) {
        mineCell(targets.world, targets.blockTypes, targets.player, targets.space, column, row);
    } else {
        placeBlock(targets.world, targets.blockTypes, targets.player, targets.space, column, row);
    }
}

} // namespace

void handleMouseDown(ALLEGRO_EVENT event, MouseTargets& targets) {
    const int mx = event.mouse.x;
    const int my = event.mouse.y;
    const unsigned button = event.mouse.button;
    if (button == MINING_BUTTON) {
        const HudButton hudButton = hudButtonAt(mx, my, targets.player.screenWidth);
        if (hudButton != HUD_NO_BUTTON) {
            workHudButton(hudButton, targets);
            return;
        }
    }
    al_lock_mutex(targets.stateLock);
    editCellUnderPointer(mx, my, button, targets);
    al_unlock_mutex(targets.stateLock);
}
