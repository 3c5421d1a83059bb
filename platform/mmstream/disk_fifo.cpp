#include "mmstream/disk_fifo.h"

#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace standin::mmstream {

DiskFifo FindDiskFifo() {
    const char *driver = SDL_GetCurrentAudioDriver();
    if (!driver || std::strcmp(driver, "disk") != 0) return {};
    const char *path = std::getenv("SDL_DISKAUDIOFILE");
    struct stat file {};
    if (stat(path && *path ? path : "sdlaudio.raw", &file) != 0 || !S_ISFIFO(file.st_mode)) return {};
    return {true, file.st_dev, file.st_ino};
}

void UnblockDiskFifo(const DiskFifo &fifo) {
    if (!fifo.found) return;
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

}  // namespace standin::mmstream
