// A chunk's picture at full size, CHUNK_PIXELS square, in an OpenGL texture of the screen's own
// pixel layout (blue, green, red, alpha bytes, its top row first), painted from the processor
// and copied onto the target by a framebuffer blit. Without a GPU a textured fill costs about
// ten times what copying the same pixels costs, and Mesa's software renderer copies a blit
// between two buffers of one layout with plain row copies when the rows need no flipping;
// the back buffer stores its top row first, hence the pictures too. Onto any other target
// (a bitmap's) Mesa draws the same blit the slow way, pixel for pixel the same.
//
// Where there are no framebuffer blits (an OpenGL older than 3.0 without their ARB extension, as
// old drivers are, or a Direct3D display, where Windows' own OpenGL is too old for Allegro), the
// pictures are Allegro bitmaps of the same size and layout, painted through locks and drawn at
// 1:1 with a blender that copies. That fills every pixel as a texture, slower, and shows the
// same pixels; it works on any display Allegro makes. The display's module decides which
// (presentation/game_display.h).
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
    /// Whether the pictures are OpenGL textures copied by framebuffer blits; otherwise they are
    /// Allegro bitmaps, drawn.
    bool blits;
    /// The framebuffer through which the blits read the pictures; 0 where they are drawn.
    unsigned int reader;
};

/// One chunk picture: an OpenGL texture where the pictures are blitted, an Allegro bitmap where
/// they are drawn; both empty when there is none.
struct ChunkPicture {
    /// The picture's texture, or 0.
    unsigned int texture;
    /// The picture's bitmap, or null.
    ALLEGRO_BITMAP* bitmap;
};

/// Whether `picture` holds a picture.
bool hasPicture(const ChunkPicture& picture);

/// Makes the way pictures reach the current display's targets: copied by framebuffer blits when
/// `blits` (the display must be OpenGL with them), drawn otherwise. False when the blits'
/// framebuffer cannot be made.
bool createPictureWay(PictureWay& way, bool blits);

/// Destroys what createPictureWay made.
void destroyPictureWay(PictureWay& way);

/// Creates a `size` x `size` picture for `way`, its content undefined; empty when none can be
/// made.
ChunkPicture createPicture(const PictureWay& way, int size);

/// Destroys a picture made by createPicture (an empty one is ignored).
void destroyPicture(const ChunkPicture& picture);

/// Replaces the top-left `width` x `height` pixels of a picture, rows top first, `width` to a
/// row. False when a bitmap picture cannot be locked.
bool paintPicture(const ChunkPicture& picture, int width, int height, const uint32_t* pixels);

/// Paints a `size` x `size` square of a picture, its top-left corner at (x, y), in one texel.
/// False when a bitmap picture cannot be locked.
bool paintPictureSquare(const ChunkPicture& picture, int x, int y, int size, uint32_t texel);

/// One rectangle of a picture to copy onto the target, unclipped.
struct PictureCopy {
    ChunkPicture picture;
    /// Top-left corner in the picture.
    int sourceX, sourceY;
    /// Top-left corner on the target.
    int targetX, targetY;
    int width, height;
};

/// Copies the rectangles onto the current target the way `way` says, each clipped to the
/// target's clipping rectangle. Leaves the clipping rectangle, the bindings, the blender and the
/// drawing state as it found them.
void copyPictures(const PictureWay& way, const std::vector<PictureCopy>& copies);
