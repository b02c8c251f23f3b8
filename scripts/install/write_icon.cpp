// Writes the game's icon as a file for installation: an SVG for the hicolor icon theme on
// Linux, or an ICO for the Windows executable's resources. Either picture comes from the same
// table as the window icon the game sets.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "presentation/game_icon.h"

namespace {

// The sizes Windows picks from for its lists, the taskbar, the title bar and Explorer's large
// views; all multiples of four, so every block edge falls on a pixel edge.
const int ICO_SIZES[] = {16, 24, 32, 48, 64, 256};

// Bytes of an ICO file's header and of one directory entry, and of a bitmap's info header.
constexpr size_t ICO_HEADER_BYTES = 6;
constexpr size_t ICO_ENTRY_BYTES = 16;
constexpr size_t BITMAP_HEADER_BYTES = 40;

void putU16(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void putU32(std::string& out, uint32_t value) {
    putU16(out, value & 0xffff);
    putU16(out, value >> 16);
}

// One image of the ICO: a 32-bit bitmap, rows from the bottom in BGRA order, then the
// transparency mask (one bit a pixel, set where the picture is clear, rows padded to 32 bits).
// The bitmap's height counts both, as the format wants.
std::string icoImage(int size) {
    const std::vector<uint8_t> pixels = iconPixels(size);
    const size_t maskRowBytes = static_cast<size_t>((size + 31) / 32) * 4;
    std::string image;
    putU32(image, BITMAP_HEADER_BYTES);
    putU32(image, size);
    putU32(image, 2 * size);
    putU16(image, 1);
    putU16(image, 32);
    putU32(image, 0);
    putU32(image, static_cast<uint32_t>(size * size * 4 + maskRowBytes * size));
    for (int unused = 0; unused < 4; ++unused) {
        putU32(image, 0);
    }
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const uint8_t* pixel = &pixels[(static_cast<size_t>(y) * size + x) * 4];
            image += static_cast<char>(pixel[2]);
            image += static_cast<char>(pixel[1]);
            image += static_cast<char>(pixel[0]);
            image += static_cast<char>(pixel[3]);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        std::string row(maskRowBytes, '\0');
        for (int x = 0; x < size; ++x) {
            if (pixels[(static_cast<size_t>(y) * size + x) * 4 + 3] == 0) {
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
            }
        }
        image += row;
    }
    return image;
}

// The ICO file: its header, a directory entry for each size, then the images in that order.
std::string iconIco() {
    constexpr size_t count = sizeof ICO_SIZES / sizeof ICO_SIZES[0];
    std::string directory;
    std::string images;
    putU16(directory, 0);
    putU16(directory, 1);
    putU16(directory, count);
    for (const int size : ICO_SIZES) {
        const std::string image = icoImage(size);
        // A side of 256 is written as 0: the field is one byte.
        directory += static_cast<char>(size & 0xff);
        directory += static_cast<char>(size & 0xff);
        directory += '\0';
        directory += '\0';
        putU16(directory, 1);
        putU16(directory, 32);
        putU32(directory, static_cast<uint32_t>(image.size()));
        putU32(directory,
               static_cast<uint32_t>(ICO_HEADER_BYTES + count * ICO_ENTRY_BYTES + images.size()));
        images += image;
    }
    return directory + images;
}

struct IconFormat {
    const char* extension;
    std::string (*write)();
};

const IconFormat ICON_FORMATS[] = {
    {".svg", iconSvg},
    {".ico", iconIco},
};

bool endsWith(const char* text, const char* end) {
    const size_t textLength = std::strlen(text);
    const size_t endLength = std::strlen(end);
    return textLength >= endLength && std::strcmp(text + textLength - endLength, end) == 0;
}

} // namespace

int main(int argc, char** argv) {
    const IconFormat* format = nullptr;
    for (const IconFormat& candidate : ICON_FORMATS) {
        if (argc == 2 && endsWith(argv[1], candidate.extension)) {
            format = &candidate;
        }
    }
    if (format == nullptr) {
        std::fprintf(stderr, "usage: %s OUTPUT.svg|OUTPUT.ico\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const std::string icon = format->write();
    const bool written = std::fwrite(icon.data(), 1, icon.size(), out) == icon.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: could not write the icon\n", argv[1]);
        return 1;
    }
    return 0;
}
