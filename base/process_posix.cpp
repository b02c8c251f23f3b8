// The process on Linux: nice values per thread and glibc's allocator.
#include "base/process.h"

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The highest nice value.
constexpr int LOWEST_PRIORITY = 19;

} // namespace

void lowerThisThreadPriority() {
    // On Linux a nice value set for a thread id holds for that thread alone.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), LOWEST_PRIORITY);
}

void returnLargeBlocksToSystem(size_t bytes) {
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(bytes));
}
