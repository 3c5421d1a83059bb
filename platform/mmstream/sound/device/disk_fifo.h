// SDL's disk driver (SDL_AUDIODRIVER=disk) writes its sound through stdio
// into the file SDL_DISKAUDIOFILE names. When that is a FIFO whose reader
// stops reading, the driver's write blocks, and SDL's close of the device
// with it. glibc's exit flushes every stdio stream that holds data without
// taking its lock: when the blocked write was such a flush, the exit would
// block in the same FIFO, and a host that left the device behind could not
// end.
#pragma once

#include <sys/types.h>

#include <functional>

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

// For a device left to close on its own while it writes into `fifo`: if
// `stillStuck` says so when the process exits, the process's writing ends
// of the FIFO are made non-blocking then, before glibc flushes its streams,
// so that the flush fails at once. Nothing is touched before the exit: the
// file descriptors are SDL's, and closed by it while the process runs.
void UnblockAtExit(const DiskFifo &fifo, std::function<bool()> stillStuck);

}  // namespace standin::mmstream
