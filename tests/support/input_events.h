// The keyboard and mouse events that tests hand to the game's handlers, built as Allegro
// delivers them.
#pragma once

#include <allegro5/allegro.h>

#include "presentation/keyboard.h"

inline ALLEGRO_EVENT keyEvent(ALLEGRO_EVENT_TYPE type, int keycode) {
    ALLEGRO_EVENT event{};
    event.type = type;
    event.keyboard.keycode = keycode;
    return event;
}

/// A mouse button press at the display pixel (x, y).
inline ALLEGRO_EVENT mouseDownEvent(int x, int y, unsigned button) {
    ALLEGRO_EVENT event{};
    event.type = ALLEGRO_EVENT_MOUSE_BUTTON_DOWN;
    event.mouse.x = x;
    event.mouse.y = y;
    event.mouse.button = button;
    return event;
}

inline void pressKey(Player& player, int keycode) {
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_DOWN, keycode), player);
}

inline void releaseKey(Player& player, int keycode) {
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_UP, keycode), player);
}
