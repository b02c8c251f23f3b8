/* Counts the flips of an unchanged game from outside: preloaded into it, this wraps
 * glXSwapBuffers and writes "seconds flips" (monotonic clock, flips so far) to the file named
 * by TELLURN_FLIP_LOG about once a second. Only the render thread flips during play. */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

static unsigned long flips;
static double lastWritten;

static double monotonicSeconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

static void writeCount(double now) {
    const char* path = getenv("TELLURN_FLIP_LOG");
    FILE* log = path != NULL ? fopen(path, "a") : NULL;
    if (log != NULL) {
        fprintf(log, "%.3f %lu\n", now, flips);
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
    ++flips;
    const double now = monotonicSeconds();
    if (now - lastWritten >= 1.0) {
        writeCount(now);
    }
}
