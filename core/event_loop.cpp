#include "core/event_loop.h"

#include <allegro5/allegro.h>

#include "core/close_request.h"
#include "core/display_loss.h"
#include "core/mouse_press.h"
#include "presentation/keyboard.h"

namespace {

// The window system's connection is gone: no handler may draw or wait for the renderer again.
void onDisplayLost(const ALLEGRO_EVENT&, Game& game) {
    endForLostDisplay(game);
}

void onTimer(const ALLEGRO_EVENT&, Game& game) {
    tickGame(game);
}

void onKey(const ALLEGRO_EVENT& event, Game& game) {
    al_lock_mutex(game.stateLock);
    handleKeyEvent(event, game.player);
    al_unlock_mutex(game.stateLock);
}

// The press takes the state lock itself; a save's file work runs on the saver thread.
void onMouseDown(const ALLEGRO_EVENT& event, Game& game) {
    handleMouseDown(event, game);
}

struct EventHandler {
    ALLEGRO_EVENT_TYPE type;
    void (*handle)(const ALLEGRO_EVENT& event, Game& game);
};

const EventHandler EVENT_HANDLERS[] = {
    {DISPLAY_LOST_EVENT, onDisplayLost},
    {ALLEGRO_EVENT_MOUSE_BUTTON_DOWN, onMouseDown},
    {ALLEGRO_EVENT_KEY_DOWN, onKey},
    {ALLEGRO_EVENT_KEY_UP, onKey},
    {ALLEGRO_EVENT_DISPLAY_SWITCH_OUT, onKey}, // the held keys' key-ups will never come
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

const char* runEventLoop(Game& game) {
    ALLEGRO_EVENT event;
    al_wait_for_event(game.eventQueue, &event);
    while (!isCloseEvent(event)) {
        const ALLEGRO_EVENT copy = event; // handlers never see the loop's own record
        dispatch(copy, game);
        // The timer's events come 60 times a second, so a failure is seen within a tick.
        const char* failure = game.render.failure.load(std::memory_order_acquire);
        if (failure != nullptr) {
            return failure;
        }
        al_wait_for_event(game.eventQueue, &event);
    }
    return nullptr;
}
