// Says what Load would find in a save directory, checking the files as the game does: the save,
// else its backup. Prints "save selected N" or "backup selected N" for the file that loads, or
// "nothing loads: <why>" with status 1.
#include <cstdio>
#include <string>

#include "world/block_types.h"
#include "world/save_file.h"
#include "world/save_layout.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SAVE_DIRECTORY\n", argv[0]);
        return 2;
    }
    BlockTypes blockTypes{};
    initBlockTypes(blockTypes);
    const std::string save = std::string(argv[1]) + "/" + SAVE_FILE_NAME;
    std::string problem;
    for (const std::string& path : {save, save + SAVE_BACKUP_SUFFIX}) {
        SaveBytes bytes;
        const SavedFile found = readSavedFile(path, blockTypes, bytes);
        problem = found.state == SAVED_NOTHING ? path + " is missing" : found.why;
        if (found.state == SAVED_WHOLE) {
            std::printf("%s selected %d\n", path == save ? "save" : "backup",
                        bytes[HEADER_SELECTED]);
            return 0;
        }
    }
    std::printf("nothing loads: %s\n", problem.c_str());
    return 1;
}
