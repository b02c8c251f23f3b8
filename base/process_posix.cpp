// The process on Linux: line-buffered output, the working directory as the save folder, nice
// values per thread and glibc's allocator.
#include "base/process.h"

#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The highest nice value.
constexpr int LOWEST_PRIORITY = 19;

} // namespace

void printLinesAsTheyCome() {
    // Whole lines through a pipe, even from several threads.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}

bool settleInGameFolders(std::string& saveFolder, std::string&) {
    // The launcher (or the player) starts the game in the folder of its saves and its data.
    saveFolder = ".";
    return true;
}

void lowerThisThreadPriority() {
    // On Linux a nice value set for a thread id holds for that thread alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LOWEST_PRIORITY);
}

void returnLargeBlocksToSystem() {
    // A fixed threshold: glibc would otherwise raise it after the first large block is freed and
    // keep the later ones in the heap.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(LARGE_BLOCK_BYTES));
}
