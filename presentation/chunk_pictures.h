// A chunk's picture at full size, CHUNK_PIXELS square, in an OpenGL texture of the screen's own
// pixel layout (blue, green, red, alpha bytes, its top row first), painted from the processor
// and copied onto the target by a framebuffer blit. Without a GPU a textured fill costs about
// ten times what copying the same pixels costs, and Mesa's software renderer copies a blit
// between two buffers of one layout with plain row copies when the rows need no flipping;
// the back buffer stores its top row first, hence the pictures too. Onto any other target
// (a bitmap's) the same blit is drawn the slow way, pixel for pixel the same.
//
// Everything here must run on the thread whose display is current.
#pragma once

#include <cstdint>
#include <vector>

#include <allegro5/allegro.h>

/// The four bytes of one screen pixel of a colour, in the pictures' layout.
uint32_t pictureTexel(ALLEGRO_COLOR colour);

/// Creates a picture texture of `size` x `size` pixels, its content undefined; 0 when none can
/// be made.
unsigned int createPictureTexture(int size);

/// Destroys a picture texture made by createPictureTexture (0 is ignored).
void destroyPictureTexture(unsigned int texture);

/// Creates the framebuffer through which pictures are read for blits; 0 when none can be made.
unsigned int createPictureReader();

/// Destroys that framebuffer (0 is ignored).
void destroyPictureReader(unsigned int reader);

/// Replaces the top-left `width` x `height` pixels of a picture, rows top first, `width` to a
/// row.
void paintPicture(unsigned int texture, int width, int height, const uint32_t* pixels);

/// Paints a `size` x `size` square of a picture, its top-left corner at (x, y), in one texel.
void paintPictureSquare(unsigned int texture, int x, int y, int size, uint32_t texel);

/// One rectangle of a picture to copy onto the target, unclipped.
struct PictureCopy {
    unsigned int texture;
    /// Top-left corner in the picture.
    int sourceX, sourceY;
    /// Top-left corner on the target.
    int targetX, targetY;
    int width, height;
};

/// Copies the rectangles onto the current target, each clipped to the target's clipping
/// rectangle, through `reader`. Leaves the clipping rectangle and the bindings as it found them.
void copyPictures(unsigned int reader, const std::vector<PictureCopy>& copies);
