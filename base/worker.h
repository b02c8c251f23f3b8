// Pacing of the worker threads: each waits on its own condition for the main thread's tick.
// The stop request and its broadcast happen under the worker's mutex, and the worker tests
// for a stop under that mutex before every wait, so a stop request always ends the worker.
#pragma once

#include <allegro5/allegro.h>

/// Runs step(context) once per wake-up of cond until a stop is requested. The worker holds its
/// mutex except while it waits, so a tick that comes while it is busy is skipped, not queued.
/// A worker woken by the stop request still carries out one last step.
template <typename Context>
void runWorkerLoop(ALLEGRO_THREAD* thread, ALLEGRO_MUTEX* mutex, ALLEGRO_COND* cond,
                   Context& context, void (*step)(Context&)) {
    al_lock_mutex(mutex);
    while (!al_get_thread_should_stop(thread)) {
        al_wait_cond(cond, mutex);
        step(context);
    }
    al_unlock_mutex(mutex);
}

/// Wakes a worker for one tick; a worker that is busy misses it.
inline void wakeWorker(ALLEGRO_COND* cond) {
    al_broadcast_cond(cond);
}

/// Asks a worker to stop, wakes it, and waits for it to end.
inline void stopWorker(ALLEGRO_THREAD* thread, ALLEGRO_MUTEX* mutex, ALLEGRO_COND* cond) {
    al_lock_mutex(mutex);
    al_set_thread_should_stop(thread);
    al_broadcast_cond(cond);
    al_unlock_mutex(mutex);
    al_destroy_thread(thread);
}
