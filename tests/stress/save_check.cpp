// Says whether a file is a save the game would load, and which block is selected in it:
// "valid selected N", or "rejected: <why>" with status 1.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "world/block_types.h"
#include "world/save_file.h"
#include "world/save_layout.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SAVE_FILE\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const SaveBytes bytes(std::istreambuf_iterator<char>(in), {});
    BlockTypes blockTypes{};
    initBlockTypes(blockTypes);
    std::string problem;
    if (!validateSave(bytes, blockTypes, problem)) {
        std::printf("rejected: %s\n", problem.c_str());
        return 1;
    }
    std::printf("valid selected %d\n", bytes[HEADER_SELECTED]);
    return 0;
}
