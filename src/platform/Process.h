#pragma once

// Process settings that only some C libraries offer. Two implementations
// exist: ProcessGlibc.cpp on glibc, and ProcessPortable.cpp everywhere else
// (Windows with MSVC or MinGW, other C libraries, and the sanitizer build,
// whose allocator replaces glibc's and ignores its tuning). The build takes
// the glibc one where the C library is glibc, unless TARVELLO_PORTABLE is on.
namespace platform {

// Called first thing in main. On glibc the allocator gets two arenas at
// most: the driver's rasteriser threads would otherwise each keep arenas of
// freed memory, and a long session would grow with every city rebuild.
// Console output is line buffered, so game events are read as they happen
// also when the console is a pipe.
void configureProcess();

// Gives memory the allocator keeps for reuse back to the system; called
// after a city rebuild, which frees megabytes of images and driver storage.
void releaseFreedMemory();

// The system's load average over the last minute; -1 where the system
// does not tell.
double loadAverage();

// Processor time used by all threads of the process so far, in seconds; 0
// where the system does not tell.
double processorSeconds();

}  // namespace platform
