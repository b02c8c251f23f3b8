#include "core/display_loss.h"

#include <cstdio>
#include <cstdlib>

#include "base/display_loss.h"
#include "base/game_assert.h"
#include "core/clicks.h"
#include "core/game.h"

namespace {

// A main thread stuck in the window system (the loss found while it draws the menu or destroys
// the display at a close) never comes for the loss. The thread that found it then ends the game
// itself, once the main thread would have finished the Saves' rest had it come.
constexpr double MAIN_THREAD_WAIT_SECONDS = CLOSE_SAVE_SECONDS + 5.0;

[[noreturn]] void waitForTheEnd() {
    for (;;) {
        al_rest(60.0); // another thread is ending the process
    }
}

// The last steps of every ending after a loss: the line, the lock, the process.
[[noreturn]] void sayGoneAndExit(Game& game, const char* closing) {
    std::printf("The display is gone (%s); %s\n",
                game.displayLoss.cause.load(std::memory_order_acquire), closing);
    unlockFolder(game.saveLock);
    std::fflush(stdout);
    std::_Exit(1); // Allegro's clean-up at exit would use the dead connection and hang
}

// Ends the game on this thread with nothing owed, or without what a stuck main thread owes.
[[noreturn]] void endHere(Game& game) {
    if (game.displayLoss.ending.exchange(true)) {
        waitForTheEnd();
    }
    sayGoneAndExit(game, "closing");
}

// On the thread that found the loss, inside the window system's call that found it.
void onDisplayLost(void* context, const char* cause) {
    Game& game = *static_cast<Game*>(context);
    DisplayLoss& loss = game.displayLoss;
    loss.cause.store(cause, std::memory_order_release);
    loss.lost.store(true);
    if (!loss.inPlay.load()) {
        endHere(game); // the menu or start-up: no Save clicked yet
    }
    if (std::this_thread::get_id() == loss.mainThread) {
        endForLostDisplay(game);
    }
    ALLEGRO_EVENT event{};
    event.user.type = DISPLAY_LOST_EVENT;
    al_emit_user_event(&loss.source, &event, nullptr);
    al_rest(MAIN_THREAD_WAIT_SECONDS);
    if (!loss.ending.exchange(true)) {
        sayGoneAndExit(game, "closing without the saves clicked last");
    }
} // the platform parks this thread until the main thread ends the process

} // namespace

void watchForDisplayLoss(Game& game) {
    DisplayLoss& loss = game.displayLoss;
    loss.mainThread = std::this_thread::get_id();
    loss.lost = false;
    loss.cause = "";
    loss.inPlay = false;
    loss.ending = false;
    watchDisplayLoss(onDisplayLost, &game);
}

void sendDisplayLossTo(Game& game, ALLEGRO_EVENT_QUEUE* eventQueue) {
    DisplayLoss& loss = game.displayLoss;
    GAME_ASSERT(std::this_thread::get_id() == loss.mainThread, "play starts on the main thread");
    al_init_user_event_source(&loss.source);
    al_register_event_source(eventQueue, &loss.source);
    // Both sequentially consistent: either the finder sees play started, or this sees the loss.
    loss.inPlay.store(true);
    if (loss.lost.load()) {
        endForLostDisplay(game);
    }
}

bool displayLost(const Game& game) {
    return game.displayLoss.lost.load();
}

void endForLostDisplay(Game& game) {
    GAME_ASSERT(std::this_thread::get_id() == game.displayLoss.mainThread,
                "only the main thread carries out the Saves' rest");
    if (game.displayLoss.ending.exchange(true)) {
        waitForTheEnd();
    }
    if (game.enemyPacing == ENEMIES_ON_THREADS) {
        stopEnemyThreads(game);
        game.enemyPacing = ENEMIES_ABSENT; // and no tick wakes the render thread again
    }
    noteOnLock(game.saveLock, SAVE_LOCK_FINISHING); // a copy started now waits for these saves
    finishSaver(game, CLOSE_SAVE_SECONDS);
    sayGoneAndExit(game, "closing");
}
