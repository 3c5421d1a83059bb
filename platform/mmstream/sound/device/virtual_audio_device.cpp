#include "mmstream/sound/device/virtual_audio_device.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "mmstream/workers/worker_pool.h"

namespace standin::mmstream {

namespace {

// The pace of VIDSURF_AUDIO_PACE when it is a sensible one.
double PaceFromEnvironment() {
    const char *setting = std::getenv("VIDSURF_AUDIO_PACE");
    if (!setting) return 1.0;
    char *end = nullptr;
    const double pace = std::strtod(setting, &end);
    return end != setting && pace >= 0.5 && pace <= 2.0 ? pace : 1.0;
}

class VirtualAudio final : public AudioOutput {
public:
    VirtualAudio(int rate, int channels, int bufferFrames, AudioFill fill, void *context)
        : rate_(rate), channels_(channels), fill_(fill), context_(context),
          period_(std::chrono::duration<double>(bufferFrames / (rate * PaceFromEnvironment()))),
          buffer_(static_cast<size_t>(bufferFrames) * channels) {
        bufferFrames_ = bufferFrames;
        thread_ = PooledThread([this] { Run(); });
    }

    ~VirtualAudio() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void Pause(bool paused) override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            paused_ = paused;
        }
        wake_.notify_all();
    }

private:
    using Steady = std::chrono::steady_clock;

    // Buffer k of a run is taken at start + k periods: a late wake-up
    // delays that one buffer, not the ones after it.
    void Run() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!quit_) {
            if (paused_) {
                wake_.wait(lock);
                continue;
            }
            const Steady::time_point start = Steady::now();
            for (long k = 0; !quit_ && !paused_; ++k) {
                const auto due = start + std::chrono::duration_cast<Steady::duration>(period_ * k);
                if (wake_.wait_until(lock, due, [this] { return quit_ || paused_; })) break;
                lock.unlock();
                fill_(context_, buffer_.data(), bufferFrames_);
                NotifyAudioTaken(buffer_.data(), bufferFrames_, channels_, rate_);
                lock.lock();
            }
        }
    }

    const int rate_;
    const int channels_;
    const AudioFill fill_;
    void *const context_;
    const std::chrono::duration<double> period_;
    std::vector<int16_t> buffer_;  // the device thread's
    std::mutex mutex_;
    std::condition_variable wake_;
    bool paused_ = true;
    bool quit_ = false;
    PooledThread thread_;
};

}  // namespace

bool VirtualAudioRequested() {
    const char *driver = std::getenv("SDL_AUDIODRIVER");
    return driver && std::strcmp(driver, "standin") == 0;
}

std::unique_ptr<AudioOutput> OpenVirtualAudio(int rate, int channels, int bufferFrames, AudioFill fill,
                                              void *context) {
    return std::make_unique<VirtualAudio>(rate, channels, bufferFrames, fill, context);
}

}  // namespace standin::mmstream
