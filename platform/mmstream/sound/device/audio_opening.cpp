#include "mmstream/sound/device/audio_opening.h"

#include <new>
#include <utility>

#include "mmstream/sound/device/detached_call.h"

namespace standin::mmstream {

std::shared_ptr<AudioOpening> AudioOpening::Start(const Open &open) {
    std::shared_ptr<AudioOpening> opening;
    try {
        opening = std::make_shared<AudioOpening>();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    // The thread keeps the opening: it may outlive whoever waited for it.
    const bool started = CallDetached([opening, open] {
        std::unique_ptr<AudioOutput> output;
        try {
            output = open();
        } catch (...) {
            // Played silent.
        }
        opening->End(std::move(output));
    });
    return started ? opening : nullptr;
}

std::shared_ptr<AudioOpening> AudioOpening::Ended(std::unique_ptr<AudioOutput> output) {
    auto opening = std::make_shared<AudioOpening>();
    opening->done_ = true;
    opening->output_ = std::move(output);
    return opening;
}

void AudioOpening::End(std::unique_ptr<AudioOutput> output) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!givenUp_) {
            output_ = std::move(output);
            done_ = true;
        }
    }
    ended_.notify_all();
    // A device nobody waits for any more is closed here, off every
    // caller's thread.
    output.reset();
}

std::unique_ptr<AudioOutput> AudioOpening::Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    ended_.wait_for(lock, kAudioOpenWait, [this] { return done_ || cancelled_; });
    if (done_) return std::move(output_);
    givenUp_ = true;
    return nullptr;
}

void AudioOpening::Cancel() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        cancelled_ = true;
    }
    ended_.notify_all();
}

}  // namespace standin::mmstream
