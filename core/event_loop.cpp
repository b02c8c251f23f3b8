#include "core/event_loop.h"

#include <allegro5/allegro.h>

#include "core/enemy_threads.h"
#include "core/globals.h"
#include "core/worker.h"
#include "presentation/keyboard.h"
#include "world/mouse.h"
#include "world/save_file.h"

namespace {

struct LoopContext {
    World& world;
    BlockTypes& blockTypes;
};

// Physics first, then the player's record and movement, all under the state lock so that no
// worker sees the space or the player half-updated.
void advanceWorld(LoopContext& context) {
    al_lock_mutex(stateLock);
    advancePlayerTick(space, player, context.world);
    al_unlock_mutex(stateLock);
}

void wakeWorkers() {
    wakeEnemyThreads();
    wakeWorker(renderThreadData.cond);
}

void onTimer(const ALLEGRO_EVENT&, LoopContext& context) {
    advanceWorld(context);
    wakeWorkers();
}

void onKey(const ALLEGRO_EVENT& event, LoopContext&) {
    al_lock_mutex(stateLock);
    handleKeyEvent(event, player);
    al_unlock_mutex(stateLock);
}

// The press takes the state lock itself: a save's file work runs without it.
void onMouseDown(const ALLEGRO_EVENT& event, LoopContext& context) {
    MouseTargets targets{context.world, context.blockTypes,  player,  space,
                         stateLock,     GAME_SAVE_DIRECTORY, enemies, ENEMY_COUNT};
    handleMouseDown(event, targets);
}

struct EventHandler {
    ALLEGRO_EVENT_TYPE type;
    void (*handle)(const ALLEGRO_EVENT& event, LoopContext& context);
};

const EventHandler EVENT_HANDLERS[] = {
    {ALLEGRO_EVENT_MOUSE_BUTTON_DOWN, onMouseDown},
    {ALLEGRO_EVENT_KEY_DOWN, onKey},
    {ALLEGRO_EVENT_KEY_UP, onKey},
    {ALLEGRO_EVENT_DISPLAY_SWITCH_OUT, onKey}, // the held keys' key-ups will never come
    {ALLEGRO_EVENT_TIMER, onTimer},
};

void dispatch(const ALLEGRO_EVENT& event, LoopContext& context) {
    for (const EventHandler& handler : EVENT_HANDLERS) {
        if (handler.type == event.type) {
            handler.handle(event, context);
            return;
        }
    }
}

} // namespace

const char* runEventLoop(World& world, BlockTypes& blockTypes) {
    LoopContext context{world, blockTypes};
    ALLEGRO_EVENT event;
    al_wait_for_event(eventQueue, &event);
    while (event.type != ALLEGRO_EVENT_DISPLAY_CLOSE) {
        const ALLEGRO_EVENT copy = event; // handlers never see the loop's own record
        dispatch(copy, context);
        // The timer's events come 60 times a second, so a failure is seen within a tick.
        const char* failure = renderThreadData.failure.load(std::memory_order_acquire);
        if (failure != nullptr) {
            return failure;
        }
        al_wait_for_event(eventQueue, &event);
    }
    return nullptr;
}
