// A chunk's picture at full size, CHUNK_PIXELS square, in an OpenGL texture of the screen's own
// pixel layout (blue, green, red, alpha bytes, its top row first), painted from the processor
// and copied onto the target by a framebuffer blit. Without a GPU a textured fill costs about
// ten times what copying the same pixels costs, and Mesa's software renderer copies a blit
// between two buffers of one layout with plain row copies when the rows need no flipping;
// the back buffer stores its top row first, hence the pictures too. Onto any other target
// (a bitmap's) Mesa draws the same blit the slow way, pixel for pixel the same.
//
// An OpenGL without framebuffer blits (older than 3.0 and without their ARB extension, as old
// drivers are) copies nothing: there the pictures are drawn as textured rectangles at 1:1, with
// nearest texels and no blending, through OpenGL 1.1's own calls. That fills every pixel as a
// texture, slower, and shows the same pixels. (Allegro makes no display on an OpenGL older than
// 1.2, such as the 1.1 of a Windows PC without its vendor's driver.)
//
// Everything here must run on the thread whose display is current.
#pragma once

#include <cstdint>
#include <vector>

#include <allegro5/allegro.h>

/// The four bytes of one screen pixel of a colour, in the pictures' layout.
uint32_t pictureTexel(ALLEGRO_COLOR colour);

/// How one display's pictures are kept and reach its targets, decided once for all of them.
struct PictureWay {
    /// Whether the pictures are copied by framebuffer blits; otherwise they are drawn.
    bool blits;
    /// Side of every picture's texture: the pictures' own, or where they are drawn the power of
    /// two above it (OpenGL before 2.0 has textures of no other sides), its top-left part used.
    int textureSide;
    /// The framebuffer through which the blits read the pictures; 0 where they are drawn.
    unsigned int reader;
};

/// Decides how pictures of `size` x `size` pixels reach the current display's targets: copied
/// by framebuffer blits when `blitsAllowed` and its OpenGL has them, drawn otherwise, which is
/// said on the console when it is for want of blits. False when the blits' framebuffer cannot
/// be made.
bool createPictureWay(PictureWay& way, int size, bool blitsAllowed);

/// Destroys what createPictureWay made.
void destroyPictureWay(PictureWay& way);

/// Creates a picture texture for `way`, its content undefined; 0 when none can be made.
unsigned int createPictureTexture(const PictureWay& way);

/// Destroys a picture texture made by createPictureTexture (0 is ignored).
void destroyPictureTexture(unsigned int texture);

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

/// Copies the rectangles onto the current target the way `way` says, each clipped to the
/// target's clipping rectangle. Leaves the clipping rectangle, the bindings and the drawing
/// state as it found them.
void copyPictures(const PictureWay& way, const std::vector<PictureCopy>& copies);
