#include "core/close_request.h"

#include <cstdio>
#include <string>

#include "base/close_requests.h"

namespace {

enum CloseRequestState { CLOSE_NOT_ASKED, CLOSE_ASKED_EARLY, CLOSE_SOURCE_READY };

void emitCloseRequest(CloseRequests& requests) {
    ALLEGRO_EVENT event{};
    event.user.type = CLOSE_REQUEST_EVENT;
    al_emit_user_event(&requests.source, &event, nullptr);
}

// On the platform's watching thread: the queue takes the close, or keeps it until it exists.
void onCloseRequest(void* context) {
    CloseRequests& requests = *static_cast<CloseRequests*>(context);
    int expected = CLOSE_NOT_ASKED;
    if (!requests.state.compare_exchange_strong(expected, CLOSE_ASKED_EARLY)) {
        emitCloseRequest(requests);
    }
}

} // namespace

void watchForCloseRequests(CloseRequests& requests) {
    requests.state = CLOSE_NOT_ASKED;
    std::string problem;
    if (!watchCloseRequests(onCloseRequest, &requests, problem)) {
        std::printf("Cannot watch for Ctrl+C: %s; it ends the game without its saves\n",
                    problem.c_str());
    }
}

void sendCloseRequestsTo(CloseRequests& requests, ALLEGRO_EVENT_QUEUE* eventQueue) {
    al_init_user_event_source(&requests.source);
    al_register_event_source(eventQueue, &requests.source);
    if (requests.state.exchange(CLOSE_SOURCE_READY) == CLOSE_ASKED_EARLY) {
        emitCloseRequest(requests);
    }
}

bool isCloseEvent(const ALLEGRO_EVENT& event) {
    return event.type == ALLEGRO_EVENT_DISPLAY_CLOSE || event.type == CLOSE_REQUEST_EVENT;
}
