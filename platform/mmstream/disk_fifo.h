// SDL's disk driver (SDL_AUDIODRIVER=disk) writes its sound through stdio
// into the file SDL_DISKAUDIOFILE names. When that is a FIFO whose reader
// stops reading, the driver's write blocks, and SDL's close of the device
// with it. glibc's exit flushes every stdio stream that holds data without
// taking its lock: it would block in the same FIFO, and a host that left
// such a device behind could not end.
#pragma once

#include <sys/types.h>

namespace standin::mmstream {

// The FIFO a disk driver's device writes into, told by its device and inode.
struct DiskFifo {
    bool found = false;
    dev_t device = 0;
    ino_t inode = 0;
};

// The FIFO the disk driver writes into, if it is the driver in use and its
// file is a FIFO; right after a device opened.
DiskFifo FindDiskFifo();

// Makes this process's writing ends of the FIFO non-blocking, for a device
// left to close on its own: the write under way stays as it is, but those
// after it (the rest of the close once the reader takes anything, the
// flush at exit) fail at once instead of waiting.
void UnblockDiskFifo(const DiskFifo &fifo);

}  // namespace standin::mmstream
