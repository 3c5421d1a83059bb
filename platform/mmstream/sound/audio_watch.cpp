// StandinWatchAudio: the host sees each buffer the sound device takes.
#include <mutex>

#include <standin/standin.h>

#include "common/immortal.h"
#include "mmstream/sound/device/audio_device.h"

namespace {

struct AudioWatch {
    // Held while the watcher runs, so that a replaced one is no longer
    // running once StandinWatchAudio returns.
    std::mutex mutex;
    StandinAudioWatcher watcher = nullptr;
    void *context = nullptr;
};

// Device threads may outlive statics, and may be the first to look.
AudioWatch &TheWatch() { return standin::Immortal<AudioWatch>(); }

}  // namespace

extern "C" void StandinWatchAudio(StandinAudioWatcher watcher, void *context) {
    AudioWatch &watch = TheWatch();
    std::lock_guard<std::mutex> hold(watch.mutex);
    watch.watcher = watcher;
    watch.context = context;
}

namespace standin::mmstream {

void NotifyAudioTaken(const int16_t *samples, int frames, int channels, int rate) {
    AudioWatch &watch = TheWatch();
    std::lock_guard<std::mutex> hold(watch.mutex);
    if (!watch.watcher) return;
    try {
        watch.watcher(watch.context, samples, frames, channels, rate);
    } catch (...) {
        // A host's exception must not end the device's thread.
    }
}

}  // namespace standin::mmstream
