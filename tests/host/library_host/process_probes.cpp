#include "process_probes.h"

#include <dirent.h>

#include <standin/standin.h>

int OpenFileDescriptors() {
    DIR *dir = opendir("/proc/self/fd");
    if (!dir) return -1;
    int count = 0;
    while (const dirent *entry = readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    closedir(dir);
    return count - 1;  // the listing's own descriptor
}

ULONG ComInitCount() { return StandinComInitCount(); }

ULONG RefCount(IUnknown *object) {
    object->AddRef();
    return object->Release();
}
