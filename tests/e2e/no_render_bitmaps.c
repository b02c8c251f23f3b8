/* Preloaded into the game by the tests (LD_PRELOAD): every al_create_bitmap off the main thread
 * fails, as on a display with no room left for textures. The render thread's chunk bitmaps are
 * the only bitmaps the game makes on another thread. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stddef.h>
#include <unistd.h>

typedef struct ALLEGRO_BITMAP ALLEGRO_BITMAP;

ALLEGRO_BITMAP* al_create_bitmap(int width, int height) {
    /* The main thread makes the first bitmaps, before any other thread exists. */
    static ALLEGRO_BITMAP* (*create)(int, int) = NULL;
    if (gettid() != getpid()) {
        return NULL;
    }
    if (create == NULL) {
        create = (ALLEGRO_BITMAP * (*)(int, int)) dlsym(RTLD_NEXT, "al_create_bitmap");
    }
    return create(width, height);
}
