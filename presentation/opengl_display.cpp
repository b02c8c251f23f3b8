#include "presentation/opengl_display.h"

ALLEGRO_DISPLAY* createOpenGlDisplay(int width, int height, int flags) {
    al_set_new_display_flags(flags | ALLEGRO_OPENGL);
    return al_create_display(width, height);
}
