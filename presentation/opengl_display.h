// Every display the game makes is an OpenGL one: the chunk pictures are OpenGL textures
// (presentation/chunk_pictures.h), and on Windows Allegro makes a Direct3D display unless asked
// for OpenGL.
#pragma once

#include <allegro5/allegro.h>

/// Creates an OpenGL display of width x height pixels with the display flags `flags` (0 for
/// Allegro's default window), leaving them set for this thread's next display; null when none
/// can be made.
ALLEGRO_DISPLAY* createOpenGlDisplay(int width, int height, int flags);
