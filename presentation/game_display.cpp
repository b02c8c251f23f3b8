// The extension list names the framebuffer blits only for the unstable API; defined before the
// first Allegro header, so that all of them in this file see the same API.
#define ALLEGRO_UNSTABLE
// On Windows the OpenGL header brings in <windows.h>, whose min and max macros would replace
// std::min and std::max.
#define NOMINMAX

#include "presentation/game_display.h"

#include <allegro5/allegro_opengl.h>
#include <cstdint>
#include <cstdio>
#ifdef ALLEGRO_WINDOWS
#include <allegro5/allegro_direct3d.h>
#endif

namespace {

// The kinds of display the game asks Allegro for, in turn.
constexpr int DISPLAY_KINDS[] = {
    ALLEGRO_OPENGL,
#ifdef ALLEGRO_WINDOWS
    ALLEGRO_DIRECT3D,
#endif
};

// Framebuffer objects with blits: OpenGL 3.0, or its ARB extension, which Allegro's list
// counts as one.
bool openGlHasBlits() {
    const ALLEGRO_OGL_EXT_LIST* extensions = al_get_opengl_extension_list();
    return extensions != nullptr && extensions->ALLEGRO_GL_ARB_framebuffer_object;
}

} // namespace

ALLEGRO_DISPLAY* createGameDisplay(int width, int height, int flags) {
    for (const int kind : DISPLAY_KINDS) {
        al_set_new_display_flags(flags | kind);
        ALLEGRO_DISPLAY* display = al_create_display(width, height);
        if (display != nullptr) {
            return display;
        }
    }
    return nullptr;
}

bool chunkPicturesBlitted(ALLEGRO_DISPLAY* display) {
    if ((al_get_display_flags(display) & ALLEGRO_OPENGL) == 0) {
        std::printf("No OpenGL 1.2 here; drawing through Direct3D, more slowly\n");
        return false;
    }
    if (!openGlHasBlits()) {
        const uint32_t version = al_get_opengl_version();
        std::printf("This OpenGL has no framebuffer blits (version %u.%u); drawing the slower "
                    "way\n",
                    static_cast<unsigned>(version >> 24),
                    static_cast<unsigned>((version >> 16) & 0xff));
        return false;
    }
    return true;
}
