// A sound device opened on a thread of its own. A driver's open may never
// return (SDL's disk driver opening a FIFO that nobody reads blocks in its
// fopen), so the renderer waits for it a bounded time, and the host's free
// of the renderer cuts even that short; a device that opens after it was
// given up is closed again on the opener's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "mmstream/sound/device/audio_device.h"

namespace standin::mmstream {

// How long the renderer waits for a device to open. SDL's drivers open in
// a fraction of a second (the disk driver's fopen, a connection to ALSA or
// PulseAudio); one that takes seconds may never end. Past this the movie
// plays silent on a clock of its own: sound that started later would start
// from where the clock was placed and hold the picture still while it
// caught up.
constexpr std::chrono::seconds kAudioOpenWait{2};

class AudioOpening {
public:
    using Open = std::function<std::unique_ptr<AudioOutput>()>;

    // Runs `open` on a detached thread; null when no thread could be started.
    static std::shared_ptr<AudioOpening> Start(const Open &open);
    // An opening that has already ended, with its device or none.
    static std::shared_ptr<AudioOpening> Ended(std::unique_ptr<AudioOutput> output);

    // The device once open, waiting for it at most kAudioOpenWait; null when
    // the open failed, took longer or was cancelled. Called once.
    std::unique_ptr<AudioOutput> Take();
    // Makes a Take under way, or one to come, give up at once; any thread.
    void Cancel();

private:
    // On the opener's thread, with what the open gave.
    void End(std::unique_ptr<AudioOutput> output);

    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;       // the open returned
    bool cancelled_ = false;
    bool givenUp_ = false;    // Take returned without the device
    std::unique_ptr<AudioOutput> output_;
};

}  // namespace standin::mmstream
