#include "mmstream/audio_renderer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/exception_guard.h"
#include "mmstream/audio_device.h"

namespace standin::mmstream {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerFrame = kChannels * 2;
// How much sound the device is given ahead of the clock.
constexpr Uint32 kQueueAhead = kRate * kBytesPerFrame / 5;  // 200 ms

}  // namespace

std::unique_ptr<AudioRenderer> AudioRenderer::Create() {
    if (!AudioHardwarePresent()) return nullptr;
    return std::unique_ptr<AudioRenderer>(new AudioRenderer());
}

AudioRenderer::~AudioRenderer() {
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    CloseAudioDevice(device_);
}

void AudioRenderer::Play(const std::string &utf8Path, int64_t originMicroseconds, StreamClock &clock) {
    track_ = AudioTrack::Open(utf8Path, originMicroseconds, kRate, kChannels);
    if (!track_) return;  // a silent movie
    device_ = OpenAudioDevice(kRate, kChannels);
    if (device_ == 0) {
        track_.reset();  // played silent
        return;
    }
    clock_ = &clock;
    thread_ = std::thread([this] {
        GuardExceptions([this] {
            Feed();
            return S_OK;
        });
    });
}

void AudioRenderer::ClockChanged(bool seeked) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (seeked) seeked_ = true;
    }
    wake_.notify_all();
}

void AudioRenderer::Feed() {
    std::unique_lock<std::mutex> lock(mutex_);
    bool playing = false;
    bool ended = false;
    STREAM_TIME skipBefore = 0;  // samples before the seek position are dropped
    std::vector<uint8_t> pcm;
    while (!quit_) {
        if (seeked_) {
            seeked_ = false;
            lock.unlock();
            skipBefore = clock_->Now();
            SDL_ClearQueuedAudio(device_);
            track_->Seek(skipBefore);
            ended = false;
            lock.lock();
            continue;
        }
        const bool running = clock_->Running();
        if (running != playing) {
            SDL_PauseAudioDevice(device_, running ? 0 : 1);
            playing = running;
        }
        if (!running || ended || SDL_GetQueuedAudioSize(device_) >= kQueueAhead) {
            wake_.wait_for(lock, std::chrono::milliseconds(20));
            continue;
        }
        lock.unlock();
        STREAM_TIME start = 0;
        // A track that cannot go on (no memory, say) ends the sound.
        if (GuardExceptions([&] { return track_->Next(&pcm, &start) ? S_OK : S_FALSE; }) == S_OK) {
            size_t skip = 0;
            if (start < skipBefore) {
                const int64_t frames = (skipBefore - start) * kRate / 10000000;
                skip = std::min(pcm.size(), static_cast<size_t>(frames) * kBytesPerFrame);
            }
            if (skip < pcm.size())
                SDL_QueueAudio(device_, pcm.data() + skip, static_cast<Uint32>(pcm.size() - skip));
        } else {
            ended = true;
        }
        lock.lock();
    }
}

}  // namespace standin::mmstream
