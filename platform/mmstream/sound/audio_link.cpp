#include "mmstream/sound/audio_link.h"

#include <algorithm>

namespace standin::mmstream {

void AudioLink::Fill(int16_t *samples, int frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!attached_) {
        std::fill(samples, samples + static_cast<size_t>(std::max(frames, 0)) * channels_, int16_t{0});
        return;
    }
    fill_(context_, samples, frames);
    NotifyAudioTaken(samples, frames, channels_, rate_);
}

void AudioLink::Detach() {
    std::lock_guard<std::mutex> lock(mutex_);
    attached_ = false;
}

}  // namespace standin::mmstream
