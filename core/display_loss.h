// The display lost while the game runs: the connection to the window system broke. The game
// ends in order without it and with status 1: what the Saves clicked before still need is done,
// as at a close, one line says the display is gone, the save folder's lock is let go, and the
// process ends without Allegro's own clean-up, which would use the dead connection. Nothing
// touches the window system after the loss.
#pragma once

#include <allegro5/allegro.h>
#include <atomic>
#include <thread>

struct Game;

/// The type of the event a lost display puts in the game's queue once the game is in play.
constexpr ALLEGRO_EVENT_TYPE DISPLAY_LOST_EVENT = ALLEGRO_GET_EVENT_TYPE('T', 'e', 'l', 'D');

/// Where a lost display goes, on whichever thread it is found.
struct DisplayLoss {
    /// Registered with the game's queue when play starts.
    ALLEGRO_EVENT_SOURCE source;
    /// The thread that runs `main`, the only one that may carry out the Saves' rest.
    std::thread::id mainThread;
    /// Set by the thread that found the loss, with the platform's words for it.
    std::atomic<bool> lost;
    std::atomic<const char*> cause;
    /// Set by the main thread when play starts: from then on Saves may be owed.
    std::atomic<bool> inPlay;
    /// Taken by the one thread that ends the game.
    std::atomic<bool> ending;
};

/// Watches for a lost display; first thing in `main`, before the window system is opened.
/// Until play starts nothing is owed, and a loss ends the game at once on the thread that found
/// it.
void watchForDisplayLoss(Game& game);

/// Main thread, the queue made, just before play: from now on a loss found on another thread
/// reaches the main thread as a DISPLAY_LOST_EVENT, and that thread waits for the main thread to
/// end the game (ending it itself if the main thread does not come, stuck in the window system).
/// A loss found before now ends the game here.
void sendDisplayLossTo(Game& game, ALLEGRO_EVENT_QUEUE* eventQueue);

/// True once the display is lost; the caller then must not touch the window system.
bool displayLost(const Game& game);

/// Main thread, holding no lock, once the display is lost: stops the enemy threads (the render
/// thread may be stuck in the window system and is left to the process's end), carries out what
/// the Saves clicked before need within the close's deadline, says the display is gone, lets the
/// save folder's lock go and ends the process with status 1.
[[noreturn]] void endForLostDisplay(Game& game);
