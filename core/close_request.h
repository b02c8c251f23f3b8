// A close asked from outside the window (Ctrl+C in the console, the terminal closed, a logout)
// reaches the game as an event of its own in its one queue, and the menu and the game take it as
// they take their window's close button: the game closes in order and keeps every Save clicked.
#pragma once

#include <allegro5/allegro.h>
#include <atomic>

/// The type of the event a close from outside puts in the queue.
constexpr ALLEGRO_EVENT_TYPE CLOSE_REQUEST_EVENT = ALLEGRO_GET_EVENT_TYPE('T', 'e', 'l', 'C');

/// Where a close from outside goes, whenever it comes.
struct CloseRequests {
    /// Registered with the game's queue once the queue exists.
    ALLEGRO_EVENT_SOURCE source;
    /// CLOSE_NOT_ASKED, CLOSE_ASKED_EARLY or CLOSE_SOURCE_READY (close_request.cpp): set by the
    /// main thread and by the platform's watching thread.
    std::atomic<int> state;
};

/// Watches for closes from outside; first thing in `main`, before any thread is made. A close
/// that comes before the queue exists waits for it.
void watchForCloseRequests(CloseRequests& requests);

/// Registers the requests' source with the queue; a close asked before now is put in it at once.
void sendCloseRequestsTo(CloseRequests& requests, ALLEGRO_EVENT_QUEUE* eventQueue);

/// True for the events that close the menu or the game: the window's close button, or a close
/// from outside.
bool isCloseEvent(const ALLEGRO_EVENT& event);
