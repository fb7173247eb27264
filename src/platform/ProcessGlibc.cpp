#include "platform/Process.h"

#include <malloc.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace platform {

void configureProcess() {
    mallopt(M_ARENA_MAX, 2);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
}

void releaseFreedMemory() { malloc_trim(0); }

double loadAverage() {
    double load[1] = {};
    return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

double processorSeconds() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0.0;
    auto toSeconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
}

}  // namespace platform
