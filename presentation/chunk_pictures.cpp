#include "presentation/chunk_pictures.h"

#include <algorithm>
#include <cstring>
// The framebuffer calls of OpenGL 3.0, which libGL exports.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

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

// One copy clipped to `clip`, blitted onto a target `height` pixels high. GL counts rows from
// the bottom: the picture's top row is its row 0, the target's is its last, so the target's
// rows are given top first and the two buffers' rows line up in memory.
void blitClipped(const PictureCopy& copy, const Edges& clip, int height) {
    const int left = std::max(copy.targetX, clip.left);
    const int top = std::max(copy.targetY, clip.top);
    const int right = std::min(copy.targetX + copy.width, clip.right);
    const int bottom = std::min(copy.targetY + copy.height, clip.bottom);
    if (left >= right || top >= bottom) {
        return;
    }
    const int sourceX = copy.sourceX + left - copy.targetX;
    const int sourceY = copy.sourceY + top - copy.targetY;
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, copy.texture,
                           0);
    glBlitFramebuffer(sourceX, sourceY, sourceX + right - left, sourceY + bottom - top, left,
                      height - top, right, height - bottom, GL_COLOR_BUFFER_BIT, GL_NEAREST);
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

void destroyPictureTexture(unsigned int texture) {
    if (texture != 0) {
        glDeleteTextures(1, &texture);
    }
}

unsigned int createPictureReader() {
    GLuint reader = 0;
    glGenFramebuffers(1, &reader);
    return reader;
}

void destroyPictureReader(unsigned int reader) {
    if (reader != 0) {
        glDeleteFramebuffers(1, &reader);
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

void copyPictures(unsigned int reader, const std::vector<PictureCopy>& copies) {
    if (copies.empty()) {
        return;
    }
    int x, y, width, height;
    al_get_clipping_rectangle(&x, &y, &width, &height);
    const Edges clip{x, y, x + width, y + height};
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
