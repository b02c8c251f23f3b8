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
#include <cstdio>
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
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, copy.texture,
                           0);
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

// One copy clipped to `clip`, drawn as a rectangle of the picture at 1:1 in the target's pixels,
// where Allegro's projection puts its own bitmaps. The picture's top row is its texture's row 0
// and sides of a power of two make every texture coordinate exact.
void drawClipped(const PictureCopy& copy, const Edges& clip, float texelSide) {
    const ClippedCopy part = clipCopy(copy, clip);
    const Edges& to = part.target;
    if (isEmpty(to)) {
        return;
    }
    const float left = part.sourceX * texelSide;
    const float top = part.sourceY * texelSide;
    const float right = (part.sourceX + to.right - to.left) * texelSide;
    const float bottom = (part.sourceY + to.bottom - to.top) * texelSide;
    glBindTexture(GL_TEXTURE_2D, copy.texture);
    glBegin(GL_QUADS);
    glTexCoord2f(left, top);
    glVertex2i(to.left, to.top);
    glTexCoord2f(right, top);
    glVertex2i(to.right, to.top);
    glTexCoord2f(right, bottom);
    glVertex2i(to.right, to.bottom);
    glTexCoord2f(left, bottom);
    glVertex2i(to.left, to.bottom);
    glEnd();
}

// The pictures are opaque: each texel replaces its pixel, unblended and untinted.
void drawPictures(int textureSide, const std::vector<PictureCopy>& copies) {
    const Edges clip = clippingEdges();
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (const PictureCopy& copy : copies) {
        drawClipped(copy, clip, 1.0f / static_cast<float>(textureSide));
    }
    glPopAttrib();
}

// The smallest power of two not below `size`.
int powerOfTwoAbove(int size) {
    int side = 1;
    while (side < size) {
        side *= 2;
    }
    return side;
}

// Framebuffer objects with blits: OpenGL 3.0, or its ARB extension, which Allegro's list
// counts as one.
bool openGlHasBlits() {
    const ALLEGRO_OGL_EXT_LIST* extensions = al_get_opengl_extension_list();
    return extensions != nullptr && extensions->ALLEGRO_GL_ARB_framebuffer_object;
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

bool createPictureWay(PictureWay& way, int size, bool blitsAllowed) {
    const bool hasBlits = openGlHasBlits();
    way = {blitsAllowed && hasBlits, size, 0};
    if (!way.blits) {
        way.textureSide = powerOfTwoAbove(size);
        if (!hasBlits) {
            const uint32_t version = al_get_opengl_version();
            std::printf("This OpenGL has no framebuffer blits (version %u.%u); drawing the "
                        "slower way\n",
                        static_cast<unsigned>(version >> 24),
                        static_cast<unsigned>((version >> 16) & 0xff));
        }
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

unsigned int createPictureTexture(const PictureWay& way) {
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
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, way.textureSide, way.textureSide, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    endPaint(state);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    return texture;
}

void destroyPictureTexture(unsigned int texture) {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
}

void paintPicture(unsigned int texture, int width, int height, const uint32_t* pixels) {
    const UnpackState state = beginPaint(texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    endPaint(state);
}

void paintPictureSquare(unsigned int texture, int x, int y, int size, uint32_t texel) {
    GAME_ASSERT(size <= LARGEST_SQUARE, "a picture square is larger than paintPictureSquare's "
                                        "buffer: raise LARGEST_SQUARE");
    uint32_t pixels[LARGEST_SQUARE * LARGEST_SQUARE];
    std::fill(pixels, pixels + size * size, texel);
    const UnpackState state = beginPaint(texture);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, size, size, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    endPaint(state);
}

void copyPictures(const PictureWay& way, const std::vector<PictureCopy>& copies) {
    if (copies.empty()) {
        return;
    }
    if (way.blits) {
        blitPictures(way.reader, copies);
    } else {
        drawPictures(way.textureSide, copies);
    }
}
