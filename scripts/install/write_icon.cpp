// Writes the game's icon as an SVG file for installation into the hicolor icon theme; the
// picture comes from the same table as the window icon the game sets.
#include <cstdio>

#include "presentation/game_icon.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.svg\n", argv[0]);
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    const std::string svg = iconSvg();
    const bool written = std::fwrite(svg.data(), 1, svg.size(), out) == svg.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: could not write the icon\n", argv[1]);
        return 1;
    }
    return 0;
}
