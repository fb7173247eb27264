#pragma once

namespace platform {

// Ends the process with the given exit code once the program's work is
// done, its console output flushed first. On Windows the process ends at
// once, without the exit handlers of the libraries it loaded: under Wine
// those run on the Unix side after Wine's server has counted the process as
// ended, and the server kills a process it still finds there half a second
// later, which on a busy machine Mesa's handler alone outlasts (it waits for
// its lowest-priority shader-cache thread). Elsewhere it is std::exit.
[[noreturn]] void endProcess(int code);

}  // namespace platform
