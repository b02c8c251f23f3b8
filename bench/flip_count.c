/* Counts the frames and flips of an unchanged game from outside: preloaded into it, this wraps
 * glXSwapBuffers, which only the render thread calls during play, and
 * al_get_thread_should_stop, which that thread's loop calls once for every tick it keeps,
 * whether its picture changed and was flipped or not. It writes "seconds flips frames"
 * (monotonic clock, counts so far) to the file named by TELLURN_FLIP_LOG about once a second.
 * Preloaded into Wine running the Windows game, it counts the flips alone: Wine takes
 * glXGetProcAddressARB from the libGL it opens by name (dlsym), and glXSwapBuffers through it,
 * both wrapped here too; the game's own calls, linked into one Windows program, are out of a
 * library's reach. */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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

typedef void (*SwapCall)(Display*, GLXDrawable);
typedef void* (*LookupCall)(void*, const char*);

/* The real glXSwapBuffers: the one a library asked by name gave, else the next one linked. */
static SwapCall realSwap;

/* The C library's own dlsym, of glibc's first version of it. */
static LookupCall realLookup(void) {
    static LookupCall lookup;
    if (lookup == NULL) {
        lookup = (LookupCall)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    }
    return lookup;
}

void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    if (realSwap == NULL) {
        realSwap = (SwapCall)realLookup()(RTLD_NEXT, "glXSwapBuffers");
    }
    realSwap(display, drawable);
    rendering = true;
    ++flips;
    writeCountEverySecond();
}

bool al_get_thread_should_stop(ALLEGRO_THREAD* thread) {
    static bool (*realShouldStop)(ALLEGRO_THREAD*);
    if (realShouldStop == NULL) {
        realShouldStop =
            (bool (*)(ALLEGRO_THREAD*))realLookup()(RTLD_NEXT, "al_get_thread_should_stop");
    }
    if (rendering) {
        ++frames;
        writeCountEverySecond();
    }
    return realShouldStop(thread);
}

/* The real glXGetProcAddressARB: the one a library asked by name gave, else the next one. */
static __GLXextFuncPtr (*realProcLookup)(const GLubyte*);

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name) {
    if (realProcLookup == NULL) {
        realProcLookup =
            (__GLXextFuncPtr(*)(const GLubyte*))realLookup()(RTLD_NEXT, "glXGetProcAddressARB");
    }
    const __GLXextFuncPtr found = realProcLookup(name);
    if (found != NULL && strcmp((const char*)name, "glXSwapBuffers") == 0) {
        realSwap = (SwapCall)found;
        return (__GLXextFuncPtr)glXSwapBuffers;
    }
    return found;
}

void* dlsym(void* library, const char* name) {
    void* found = realLookup()(library, name);
    if (found != NULL && strcmp(name, "glXSwapBuffers") == 0) {
        realSwap = (SwapCall)found;
        return (void*)glXSwapBuffers;
    }
    if (found != NULL && strcmp(name, "glXGetProcAddressARB") == 0) {
        realProcLookup = (__GLXextFuncPtr(*)(const GLubyte*))found;
        return (void*)glXGetProcAddressARB;
    }
    return found;
}
