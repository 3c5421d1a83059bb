// The default audio renderer: plays a movie's sound track on SDL2 audio
// (which honours SDL_AUDIODRIVER), following the stream clock.
//
// A device is opened only for a movie that has a sound track. A thread
// keeps the device's queue a little ahead of the clock. Stopping the clock
// pauses the device; a seek drops what was queued and starts again from the
// new position.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "mmstream/audio_track.h"
#include "mmstream/stream_clock.h"

namespace standin::mmstream {

class AudioRenderer {
public:
    // Null when there is no audio device.
    static std::unique_ptr<AudioRenderer> Create();
    ~AudioRenderer();
    AudioRenderer(const AudioRenderer &) = delete;
    AudioRenderer &operator=(const AudioRenderer &) = delete;

    // Starts playing the file's sound track, if it has one and a device
    // opens for it.
    void Play(const std::string &utf8Path, int64_t originMicroseconds, StreamClock &clock);
    // The clock was run or stopped, or (`seeked`) set to a new position.
    void ClockChanged(bool seeked);

private:
    AudioRenderer() = default;
    void Feed();

    uint32_t device_ = 0;  // set before the thread starts
    std::unique_ptr<AudioTrack> track_;  // used by the thread only
    StreamClock *clock_ = nullptr;

    std::mutex mutex_;
    std::condition_variable wake_;
    bool seeked_ = true;  // the thread starts by placing itself on the clock
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace standin::mmstream
