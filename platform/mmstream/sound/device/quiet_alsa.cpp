#include "mmstream/sound/device/quiet_alsa.h"

#include <dlfcn.h>

#include <mutex>

namespace standin::mmstream {

namespace {

using AlsaErrorHandler = void (*)(const char *file, int line, const char *function, int error, const char *format, ...);
using SetAlsaErrorHandler = int (*)(AlsaErrorHandler handler);

void IgnoreAlsaError(const char *, int, const char *, int, const char *, ...) {}

}  // namespace

void SilenceAlsa() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Loaded by soname, this is the same library SDL loads; the handle
        // is kept so the handler stays installed.
        void *alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
        if (!alsa) return;
        auto set = reinterpret_cast<SetAlsaErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
        if (set) set(IgnoreAlsaError);
    });
}

}  // namespace standin::mmstream
