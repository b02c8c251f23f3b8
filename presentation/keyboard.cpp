#include "presentation/keyboard.h"

#include <allegro5/allegro.h>
#include <allegro5/keycodes.h>

#include "world/block_kinds.h"

namespace {

// Each key sets or clears one held-key flag; the letters steer like the arrows.
struct HeldKeyBinding {
    int keycode;
    int flag;
};

const HeldKeyBinding HELD_KEY_BINDINGS[] = {
    {ALLEGRO_KEY_UP, keyUp},       {ALLEGRO_KEY_W, keyUp},      {ALLEGRO_KEY_DOWN, keyDown},
    {ALLEGRO_KEY_S, keyDown},      {ALLEGRO_KEY_LEFT, keyLeft}, {ALLEGRO_KEY_A, keyLeft},
    {ALLEGRO_KEY_RIGHT, keyRight}, {ALLEGRO_KEY_D, keyRight},
};

} // namespace

void handleKeyEvent(ALLEGRO_EVENT event, Player& player) {
    if (event.type == ALLEGRO_EVENT_DISPLAY_SWITCH_OUT) {
        for (const HeldKeyBinding& binding : HELD_KEY_BINDINGS) {
            player.keys[binding.flag] = 0;
        }
        return;
    }
    const bool pressed = event.type == ALLEGRO_EVENT_KEY_DOWN;
    if (!pressed && event.type != ALLEGRO_EVENT_KEY_UP) {
        return;
    }
    const int keycode = event.keyboard.keycode;
    for (const HeldKeyBinding& binding : HELD_KEY_BINDINGS) {
        if (binding.keycode == keycode) {
            player.keys[binding.flag] = pressed ? 1 : 0;
        }
    }
    if (!pressed) {
        return;
    }
    for (const BlockKind& kind : BLOCK_KINDS) { // the number keys choose what to build
        if (kind.keycode == keycode) {
            player.selectedBlock = kind.selection;
        }
    }
}
