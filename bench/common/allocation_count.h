// Heap allocations made by the whole process (the library, the stand-in,
// FFmpeg, SDL), counted by wrapping malloc and its relatives. Benchmarks
// read the count around the steady state of a loop to check that no work
// is allocated per frame.
#pragma once

#include <cstdint>

// False in builds whose sanitizers own malloc: nothing is counted there.
bool AllocationCountingAvailable();

// Calls of malloc, calloc, realloc, posix_memalign, aligned_alloc, memalign
// and operator new since the process started, on every thread.
uint64_t AllocationCount();
