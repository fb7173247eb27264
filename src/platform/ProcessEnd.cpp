#include "platform/ProcessEnd.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace platform {

void endProcess(int code) {
    std::cout.flush();
    std::clog.flush();
    std::fflush(nullptr);
#ifdef _WIN32
    // Skips the C runtime's exit functions too; nothing of the game's waits
    // for them. Wine carries it out with _exit on the Unix side.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
#endif
    std::exit(code);
}

}  // namespace platform
