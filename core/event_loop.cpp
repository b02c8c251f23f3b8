#include "core/event_loop.h"

#include <allegro5/allegro.h>

#include "presentation/keyboard.h"
#include "world/mouse.h"
#include "world/save_file.h"

namespace {

void onTimer(const ALLEGRO_EVENT&, Game& game) {
    tickGame(game);
}

void onKey(const ALLEGRO_EVENT& event, Game& game) {
    al_lock_mutex(game.stateLock);
    handleKeyEvent(event, game.player);
    al_unlock_mutex(game.stateLock);
}

// The press takes the state lock itself: a save's file work runs without it.
void onMouseDown(const ALLEGRO_EVENT& event, Game& game) {
    MouseTargets targets{game.world, game.blockTypes, game.player,
                         game.space, game.stateLock,  GAME_SAVE_DIRECTORY};
    handleMouseDown(event, targets);
}

struct EventHandler {
    ALLEGRO_EVENT_TYPE type;
    void (*handle)(const ALLEGRO_EVENT& event, Game& game);
};

const EventHandler EVENT_HANDLERS[] = {
    {ALLEGRO_EVENT_MOUSE_BUTTON_DOWN, onMouseDown},
    {ALLEGRO_EVENT_KEY_DOWN, onKey},
    {ALLEGRO_EVENT_KEY_UP, onKey},
    {ALLEGRO_EVENT_TIMER, onTimer},
};

void dispatch(const ALLEGRO_EVENT& event, Game& game) {
    for (const EventHandler& handler : EVENT_HANDLERS) {
        if (handler.type == event.type) {
            handler.handle(event, game);
            return;
        }
    }
}

} // namespace

void runEventLoop(Game& game) {
    ALLEGRO_EVENT event;
    al_wait_for_event(game.eventQueue, &event);
    while (event.type != ALLEGRO_EVENT_DISPLAY_CLOSE) {
        const ALLEGRO_EVENT copy = event; // handlers never see the loop's own record
        dispatch(copy, game);
        al_wait_for_event(game.eventQueue, &event);
    }
}
