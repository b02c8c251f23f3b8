// Allegro's loader reaches the calls past OpenGL 1.1 (the framebuffer blits), which Windows'
// opengl32 does not export, through the display's own driver; its header declares them, and the
// names past 1.1 (GL_BGRA), only for the unstable API. Defined before the first Allegro header,
// so that all of them in this file see the same API; no al_init here, which would then ask for
// this very version of Allegro.
#define ALLEGRO_UNSTABLE
// On Windows that header brings in <windows.h>, whose min and max macros would replace
// std::min and std::max.
#define NOMINMAX

#include "presentation/chunk_pictures.h"

#include <algorithm>
#include <allegro5/allegro_opengl.h>
#include <cstddef>
#include <cstring>

#include "base/game_assert.h"

namespace {

// Largest square paintPictureSquare paints.
constexpr int LARGEST_SQUARE = 16;

// The unpacking state of the thread's context, which Allegro's own uploads also set: kept and
// put back around a paint, whose rows are tightly packed.
struct UnpackState {
    GLint texture, rowLength, skipRows, skipPixels, alignment;
};

UnpackState beginPaint(unsigned int texture) {
    UnpackState state{};
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &state.texture);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &state.rowLength);
    glGetIntegerv(GL_UNPACK_SKIP_ROWS, &state.skipRows);
    glGetIntegerv(GL_UNPACK_SKIP_PIXELS, &state.skipPixels);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &state.alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    return state;
}

void endPaint(const UnpackState& state) {
    glBindTexture(GL_TEXTURE_2D, state.texture);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, state.rowLength);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, state.skipRows);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, state.skipPixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, state.alignment);
}

// A rectangle as left, top and exclusive right and bottom edges.
struct Edges {
    int left, top, right, bottom;
};

// One copy clipped to a clipping rectangle: its part on the target and that part's top-left
// corner in the picture; empty when nothing of it is inside.
struct ClippedCopy {
    Edges target;
    int sourceX, sourceY;
};

ClippedCopy clipCopy(const PictureCopy& copy, const Edges& clip) {
    const Edges target{std::max(copy.targetX, clip.left), std::max(copy.targetY, clip.top),
                       std::min(copy.targetX + copy.width, clip.right),
                       std::min(copy.targetY + copy.height, clip.bottom)};
    return {target, copy.sourceX + target.left - copy.targetX,
            copy.sourceY + target.top - copy.targetY};
}

bool isEmpty(const Edges& edges) {
    return edges.left >= edges.right || edges.top >= edges.bottom;
}

// The current target's clipping rectangle.
Edges clippingEdges() {
    int x, y, width, height;
    al_get_clipping_rectangle(&x, &y, &width, &height);
    return {x, y, x + width, y + height};
}

// One copy clipped to `clip`, blitted onto a target `height` pixels high. GL counts rows from
// the bottom: the picture's top row is its row 0, the target's is its last, so the target's
// rows are given top first and the two buffers' rows line up in memory.
void blitClipped(const PictureCopy& copy, const Edges& clip, int height) {
    const ClippedCopy part = clipCopy(copy, clip);
    const Edges& to = part.target;
    if (isEmpty(to)) {
        return;
    }
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           copy.picture.texture, 0);
    glBlitFramebuffer(part.sourceX, part.sourceY, part.sourceX + to.right - to.left,
                      part.sourceY + to.bottom - to.top, to.left, height - to.top, to.right,
                      height - to.bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
}

void blitPictures(unsigned int reader, const std::vector<PictureCopy>& copies) {
    const Edges clip = clippingEdges();
    const int targetHeight = al_get_bitmap_height(al_get_target_bitmap());
    GLint previousReader = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousReader);
    const GLboolean scissored = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST); // a scissored blit is drawn, not copied
    glBindFramebuffer(GL_READ_FRAMEBUFFER, reader);
    for (const PictureCopy& copy : copies) {
        blitClipped(copy, clip, targetHeight);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, previousReader);
    if (scissored) {
        glEnable(GL_SCISSOR_TEST);
    }
}

// The pictures are opaque: each of their pixels replaces the target's, unblended and untinted,
// which the clipping rectangle bounds.
void drawPictures(const std::vector<PictureCopy>& copies) {
    int op, source, destination, alphaOp, alphaSource, alphaDestination;
    al_get_separate_blender(&op, &source, &destination, &alphaOp, &alphaSource, &alphaDestination);
    al_set_blender(ALLEGRO_ADD, ALLEGRO_ONE, ALLEGRO_ZERO);
    for (const PictureCopy& copy : copies) {
        al_draw_bitmap_region(copy.picture.bitmap, copy.sourceX, copy.sourceY, copy.width,
                              copy.height, copy.targetX, copy.targetY, 0);
    }
    al_set_separate_blender(op, source, destination, alphaOp, alphaSource, alphaDestination);
}

// A picture texture, `size` square, for the blits.
unsigned int createPictureTexture(int size) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (texture == 0) {
        return 0;
    }
    const UnpackState state = beginPaint(texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    // The unsized format with the screen's byte order makes Mesa store the screen's layout.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    endPaint(state);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    return texture;
}

// A picture bitmap, `size` square, in the pictures' layout, which on a little-endian processor
// is Allegro's ARGB_8888: a paint is then a plain copy. A video bitmap, or none: a memory one
// would draw through the processor, far slower still.
ALLEGRO_BITMAP* createPictureBitmap(int size) {
    const int flags = al_get_new_bitmap_flags();
    const int format = al_get_new_bitmap_format();
    al_set_new_bitmap_flags(ALLEGRO_VIDEO_BITMAP);
    al_set_new_bitmap_format(ALLEGRO_PIXEL_FORMAT_ARGB_8888);
    ALLEGRO_BITMAP* bitmap = al_create_bitmap(size, size);
    al_set_new_bitmap_flags(flags);
    al_set_new_bitmap_format(format);
    return bitmap;
}

// Locks a rectangle of a picture bitmap for writing in the pictures' layout; null when it
// cannot be locked.
ALLEGRO_LOCKED_REGION* lockForPaint(ALLEGRO_BITMAP* bitmap, int x, int y, int width, int height) {
    return al_lock_bitmap_region(bitmap, x, y, width, height, ALLEGRO_PIXEL_FORMAT_ARGB_8888,
                                 ALLEGRO_LOCK_WRITEONLY);
}

// Row `y` of a locked region, whose rows may run bottom up.
uint32_t* lockedRow(const ALLEGRO_LOCKED_REGION* region, int y) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(region->data) +
                                       static_cast<ptrdiff_t>(y) * region->pitch);
}

} // namespace

uint32_t pictureTexel(ALLEGRO_COLOR colour) {
    unsigned char r, g, b, a;
    al_unmap_rgba(colour, &r, &g, &b, &a);
    const unsigned char bytes[4] = {b, g, r, a};
    uint32_t texel;
    std::memcpy(&texel, bytes, sizeof texel);
    return texel;
}

bool hasPicture(const ChunkPicture& picture) {
    return picture.texture != 0 || picture.bitmap != nullptr;
}

bool createPictureWay(PictureWay& way, bool blits) {
    way = {blits, 0};
    if (!blits) {
        return true;
    }
    glGenFramebuffers(1, &way.reader);
    return way.reader != 0;
}

void destroyPictureWay(PictureWay& way) {
    if (way.reader != 0) {
        glDeleteFramebuffers(1, &way.reader);
        way.reader = 0;
    }
}

ChunkPicture createPicture(const PictureWay& way, int size) {
    if (way.blits) {
        return {createPictureTexture(size), nullptr};
    }
    return {0, createPictureBitmap(size)};
}

void destroyPicture(const ChunkPicture& picture) {
    if (picture.texture != 0) {
        glDeleteTextures(1, &picture.texture);
    }
    if (picture.bitmap != nullptr) {
        al_destroy_bitmap(picture.bitmap);
    }
}

bool paintPicture(const ChunkPicture& picture, int width, int height, const uint32_t* pixels) {
    if (picture.bitmap == nullptr) {
        const UnpackState state = beginPaint(picture.texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        endPaint(state);
        return true;
    }
    const ALLEGRO_LOCKED_REGION* region = lockForPaint(picture.bitmap, 0, 0, width, height);
    if (region == nullptr) {
        return false;
    }
    for (int y = 0; y < height; ++y) {
        std::memcpy(lockedRow(region, y), pixels + static_cast<ptrdiff_t>(y) * width,
                    static_cast<size_t>(width) * sizeof *pixels);
    }
    al_unlock_bitmap(picture.bitmap);
    return true;
}

bool paintPictureSquare(const ChunkPicture& picture, int x, int y, int size, uint32_t texel) {
    GAME_ASSERT(size <= LARGEST_SQUARE, "a picture square is larger than paintPictureSquare's "
                                        "buffer: raise LARGEST_SQUARE");
    if (picture.bitmap == nullptr) {
        uint32_t pixels[LARGEST_SQUARE * LARGEST_SQUARE];
        std::fill(pixels, pixels + size * size, texel);
        const UnpackState state = beginPaint(picture.texture);
        glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, size, size, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        endPaint(state);
        return true;
    }
    const ALLEGRO_LOCKED_REGION* region = lockForPaint(picture.bitmap, x, y, size, size);
    if (region == nullptr) {
        return false;
    }
    for (int row = 0; row < size; ++row) {
        std::fill(lockedRow(region, row), lockedRow(region, row) + size, texel);
    }
    al_unlock_bitmap(picture.bitmap);
    return true;
}

void copyPictures(const PictureWay& way, const std::vector<PictureCopy>& copies) {
    if (copies.empty()) {
        return;
    }
    if (way.blits) {
        blitPictures(way.reader, copies);
    } else {
        drawPictures(copies);
    }
}
