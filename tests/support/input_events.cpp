#include "input_events.h"

#include "presentation/keyboard.h"

ALLEGRO_EVENT keyEvent(ALLEGRO_EVENT_TYPE type, int keycode) {
    ALLEGRO_EVENT event{};
    event.type = type;
    event.keyboard.keycode = keycode;
    return event;
}

ALLEGRO_EVENT mouseDownEvent(int x, int y, unsigned button) {
    ALLEGRO_EVENT event{};
    event.type = ALLEGRO_EVENT_MOUSE_BUTTON_DOWN;
    event.mouse.x = x;
    event.mouse.y = y;
    event.mouse.button = button;
    return event;
}

void pressKey(Player& player, int keycode) {
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_DOWN, keycode), player);
}

void releaseKey(Player& player, int keycode) {
    handleKeyEvent(keyEvent(ALLEGRO_EVENT_KEY_UP, keycode), player);
}
