// What a sound device calls back for each buffer it takes: the renderer's
// fill, until the renderer lets go of it. A device whose thread is stuck
// (a driver writing where nobody reads) may outlive its renderer and come
// back later; after Detach it gets silence and never reaches the renderer.
#pragma once

#include <cstdint>
#include <mutex>

#include "mmstream/sound/device/audio_device.h"

namespace standin::mmstream {

class AudioLink {
public:
    AudioLink(AudioFill fill, void *context, int channels, int rate)
        : fill_(fill), context_(context), channels_(channels), rate_(rate) {}
    AudioLink(const AudioLink &) = delete;
    AudioLink &operator=(const AudioLink &) = delete;

    // On the device's thread: fills the buffer and shows it to the host's
    // audio watcher, or fills silence once detached.
    void Fill(int16_t *samples, int frames);
    // The renderer's fill is no longer called once this returns (a fill
    // under way is waited for: it takes no longer than a copy).
    void Detach();
    int Channels() const { return channels_; }

private:
    std::mutex mutex_;  // held while the renderer's fill runs
    bool attached_ = true;
    const AudioFill fill_;
    void *const context_;
    const int channels_;
    const int rate_;
};

}  // namespace standin::mmstream
