// Every display the game makes, and how its chunk pictures reach it. OpenGL first: there the
// pictures are copied by framebuffer blits, the fastest way without a GPU, and on Windows Allegro
// makes a Direct3D display unless asked for OpenGL. On Windows, where no OpenGL display can be
// made (a PC without its vendor's driver has only Windows' own OpenGL 1.1, and Allegro needs
// 1.2), a Direct3D one, which Windows always has; there, and on an OpenGL without framebuffer
// blits, the pictures are drawn, the same picture more slowly (presentation/chunk_pictures.h).
#pragma once

#include <allegro5/allegro.h>

/// Creates a display of width x height pixels with the display flags `flags` (0 for Allegro's
/// default window), through OpenGL, else on Windows through Direct3D; the flags of the last
/// kind tried stay set for this thread's next display. Null when none can be made.
ALLEGRO_DISPLAY* createGameDisplay(int width, int height, int flags);

/// Whether the chunk pictures reach `display`, which must be current, by framebuffer blits;
/// where they are drawn instead, says why on the console. Asked once a game.
bool chunkPicturesBlitted(ALLEGRO_DISPLAY* display);
