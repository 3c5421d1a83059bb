// The process's resident memory, for leak watches: a leak shows as growth
// over repeated open/close cycles.
#pragma once

// Resident set size in KiB from /proc/self/statm; -1 if unreadable.
long ResidentKiB();
