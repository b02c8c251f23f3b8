/* Counts the frames and flips of an unchanged game from outside: preloaded into it, this wraps
 * glXSwapBuffers, which only the render thread calls during play, and
 * al_get_thread_should_stop, which that thread's loop calls once for every tick it keeps,
 * whether its picture changed and was flipped or not. It writes "seconds flips frames"
 * (monotonic clock, counts so far) to the file named by TELLURN_FLIP_LOG about once a second. */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

typedef struct ALLEGRO_THREAD ALLEGRO_THREAD;

/* Touched by the render thread only. */
static unsigned long flips;
static unsigned long frames;
static double lastWritten;
/* Set on the thread that flips: the render thread. */
static __thread bool rendering;

static double monotonicSeconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

static void writeCountEverySecond(void) {
    const double now = monotonicSeconds();
    if (now - lastWritten < 1.0) {
        return;
    }
    const char* path = getenv("TELLURN_FLIP_LOG");
    FILE* log = path != NULL ? fopen(path, "a") : NULL;
    if (log != NULL) {
        fprintf(log, "%.3f %lu %lu\n", now, flips, frames);
        fclose(log);
    }
    lastWritten = now;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static void (*realSwap)(Display*, GLXDrawable);
    if (realSwap == NULL) {
        realSwap = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    }
    realSwap(display, drawable);
    rendering = true;
    ++flips;
    writeCountEverySecond();
}

bool al_get_thread_should_stop(ALLEGRO_THREAD* thread) {
    static bool (*realShouldStop)(ALLEGRO_THREAD*);
    if (realShouldStop == NULL) {
        realShouldStop = (bool (*)(ALLEGRO_THREAD*))dlsym(RTLD_NEXT, "al_get_thread_should_stop");
    }
    if (rendering) {
        ++frames;
        writeCountEverySecond();
    }
    return realShouldStop(thread);
}
