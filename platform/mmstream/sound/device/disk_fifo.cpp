#include "mmstream/sound/device/disk_fifo.h"

#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

namespace standin::mmstream {

namespace {

struct LeftBehind {
    DiskFifo fifo;
    std::function<bool()> stillStuck;
};

struct ExitHook {
    std::mutex mutex;
    std::vector<LeftBehind> devices;
    bool registered = false;
};

// Never destroyed: it is read at exit.
ExitHook &TheHook() {
    static ExitHook *hook = new ExitHook;
    return *hook;
}

void Unblock(const DiskFifo &fifo) {
    DIR *open = opendir("/proc/self/fd");
    if (!open) return;
    while (const dirent *entry = readdir(open)) {
        const int fd = std::atoi(entry->d_name);
        struct stat file {};
        if (entry->d_name[0] == '.' || fd == dirfd(open) || fstat(fd, &file) != 0) continue;
        if (!S_ISFIFO(file.st_mode) || file.st_dev != fifo.device || file.st_ino != fifo.inode) continue;
        const int flags = fcntl(fd, F_GETFL);
        if (flags != -1 && (flags & O_ACCMODE) == O_WRONLY) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    }
    closedir(open);
}

void UnblockStuckAtExit() {
    ExitHook &hook = TheHook();
    std::lock_guard<std::mutex> lock(hook.mutex);
    for (const LeftBehind &device : hook.devices)
        if (device.stillStuck()) Unblock(device.fifo);
}

}  // namespace

DiskFifo FindDiskFifo() {
    const char *driver = SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "disk") != 0) return {};
    const char *path = std::getenv("SDL_DISKAUDIOFILE");
    struct stat file {};
    if (stat(path && *path ? path : "sdlaudio.raw", &file) != 0 || !S_ISFIFO(file.st_mode)) return {};
    return {true, file.st_dev, file.st_ino};
}

void UnblockAtExit(const DiskFifo &fifo, std::function<bool()> stillStuck) {
    if (!fifo.found) return;
    ExitHook &hook = TheHook();
    std::lock_guard<std::mutex> lock(hook.mutex);
    hook.devices.push_back({fifo, std::move(stillStuck)});
    if (!hook.registered) hook.registered = std::atexit(&UnblockStuckAtExit) == 0;
}

}  // namespace standin::mmstream
