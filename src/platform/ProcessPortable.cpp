#include "platform/Process.h"

#include <cstdio>
#include <ctime>

namespace platform {

void configureProcess() {
    // Microsoft's C library treats _IOLBF as full buffering, so the console
    // is left unbuffered there instead; elsewhere lines go out as written.
#ifdef _WIN32
    std::setvbuf(stdout, nullptr, _IONBF, 0);
#else
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
#endif
}

// Without a way to hand freed memory back, the allocator keeps it for reuse.
void releaseFreedMemory() {}

double loadAverage() { return -1.0; }

// std::clock counts the whole process's processor time on POSIX systems but
// wall time on Windows; it is only used for the benchmark's report.
double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

}  // namespace platform
