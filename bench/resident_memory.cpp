#include "bench/resident_memory.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One field of /proc/self/status, given in kB, in MB.
double statusMegabytes(const char* field) {
    double kilobytes = -1.0;
    if (FILE* file = std::fopen("/proc/self/status", "r")) {
        char line[256];
        const size_t length = std::strlen(field);
        while (std::fgets(line, sizeof line, file) != nullptr) {
            if (std::strncmp(line, field, length) == 0) {
                kilobytes = std::atof(line + length);
            }
        }
        std::fclose(file);
    }
    return kilobytes < 0 ? -1.0 : kilobytes / 1024.0;
}

} // namespace

double residentMegabytes() {
    return statusMegabytes("VmRSS:");
}

double peakResidentMegabytes() {
    return statusMegabytes("VmHWM:");
}
